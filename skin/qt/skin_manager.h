// SPDX-License-Identifier: GPL-3.0-or-later
// TSkinManager, one per process: the skin components, the skinned windows
// with their painters, an application-wide event filter that sees top-level
// windows shown and activated, and the 250 ms timer for deferred changes.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <map>
#include <memory>
#include <vector>

class QWidget;
class TSkinData;
class TSkinFormPainter;

class TSkinManager : public QObject {
    Q_OBJECT

public:
    // How long deferred changes wait.
    static constexpr int kDeferMs = 250;

    // The manager, created on first use; none without an application object.
    static TSkinManager* Instance();

    void Register(TSkinData* component);
    void Unregister(TSkinData* component);
    // The component read another skin file: redraw the windows it skinned.
    void SkinFileChanged(TSkinData* component);
    void SwitchOn(TSkinData* component);
    void SwitchOff(TSkinData* component);

    bool SkinningOn() const { return on_; }
    TSkinData* Current() const { return current_; }
    bool IsSkinned(const QWidget* window) const;
    TSkinFormPainter* PainterOf(const QWidget* window) const;
    // Whether `window` is to be skinned now, and with which component.
    bool Selects(QWidget* window) const;
    TSkinData* ComponentFor(const QWidget* window) const;
    bool ChangePending() const { return timer_.isActive(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TSkinManager();
    ~TSkinManager() override;

    struct Skinned {
        std::unique_ptr<TSkinFormPainter> painter;
        QPointer<TSkinData> component;
    };

    void SkinWindow(QWidget* window);
    void RunDeferred();

    std::vector<QPointer<TSkinData>> components_;
    QPointer<TSkinData> current_;
    std::map<const QObject*, Skinned> skinned_;
    QTimer timer_;
    bool on_ = false;
    bool started_ = false;
    enum class Pending { None, SkinAll, UnskinAll } pending_ = Pending::None;
    std::vector<QPointer<TSkinData>> refresh_;
};
