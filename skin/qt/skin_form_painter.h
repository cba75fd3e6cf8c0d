// SPDX-License-Identifier: GPL-3.0-or-later
// TSkinFormPainter, the painter of one skinned window: makes it frameless and
// draws its frame, title and title-bar buttons from the skin, gives it the
// skin's palette and puts the control painters (TSkinStyle) on its controls;
// undoes all of it when removed.
#pragma once

#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "skin/qt/skin_look.h"
#include "skin/qt/skin_settings.h"

class TSkinStyle;
class SkinFrame;

class TSkinFormPainter : public QObject {
    Q_OBJECT

public:
    // `styleOwner` keeps the control painters alive until it ends, so that a
    // painter dropped without undoing (its window is being destroyed) leaves
    // no control with a dangling style.
    TSkinFormPainter(QWidget* form, std::shared_ptr<const SkinLook> look,
                     const SkinPainterSettings& settings, QObject* styleOwner);
    // Undoes the skinning unless Abandon() was called.
    ~TSkinFormPainter() override;

    QWidget* Form() const { return form_; }
    const SkinLook& Look() const { return *look_; }
    // Takes another look (the component read a new skin file) and redraws.
    void SetLook(std::shared_ptr<const SkinLook> look);
    // The window is going away: drop everything without touching it.
    void Abandon() { abandoned_ = true; }
    // Puts the control painter on `control` and its children, where their
    // kind and Tag allow.
    void AttachControls(QWidget* control);

    // The kind of control painter `control` gets, or -1 for none.
    static int ControlKind(const QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Attached {
        QPointer<QWidget> widget;
        bool styled = false;
        bool hadPalette = false;
        QPalette palette;
    };

    void Attach(QWidget* control, bool disabledByGroup);
    QPalette SkinPaletteFor(const QWidget* control, const QPalette& before) const;
    void ApplyFrame();
    void RemoveFrame();

    QPointer<QWidget> form_;
    std::shared_ptr<const SkinLook> look_;
    SkinPainterSettings settings_;
    QPointer<TSkinStyle> style_;
    QPointer<SkinFrame> frame_;
    std::vector<Attached> attached_;
    // The window as it was before skinning.
    Qt::WindowFlags flags_;
    QMargins margins_;
    bool hadPalette_ = false;
    QPalette palette_;
    bool paletteApplied_ = false;
    bool abandoned_ = false;
};
