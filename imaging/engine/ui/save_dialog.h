// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog behind P_DlgSave: Qt's own file dialog (name, folder, the usual
// places, the format list as its file types) with the format's options below
// it: bits per pixel, compression, quality factor, multi-page mode and stamp.
#pragma once

#include <QFileDialog>
#include <QFont>
#include <cstdint>
#include <vector>

#include "imaging/engine/ui/save_dialog_records.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QWidget;

// One format the dialog offers: its code, name, extensions and, for each depth
// it can be saved at, the compressions it has there.
struct SaveDialogFormat {
    int32_t code = 0;
    QString name;
    QStringList extensions;  // with the dot; the first is the usual one
    struct Compression {
        int32_t code = 0;  // kCompression*
        QString name;
    };
    struct Depth {
        int32_t bits = 0;
        std::vector<Compression> compressions;  // first the usual one
    };
    std::vector<Depth> depths;  // in the order offered
    bool quality = false;       // takes a quality factor
    bool stamp = false;         // carries a stamp
    bool pages = false;         // holds several pages
};

// The formats of the record's list, or every format the engine saves.
std::vector<SaveDialogFormat> SaveDialogFormats(const PixDlgSaveParams& params);

class SaveDialog : public QFileDialog {
    Q_OBJECT

public:
    // Object names the tests find: "bitsPerPixel", "compression", "quality",
    // "pageMode", "stamp", "stampWidth", "stampHeight", "stampBits"; Qt's own
    // "fileNameEdit" and "fileTypeCombo".
    SaveDialog(QWidget* parent, const OPENFILENAMEA& ofn, const PixDlgSaveParams& params,
               std::vector<SaveDialogFormat> formats, const QFont& font);

    // The choices, once accepted.
    const SaveDialogFormat& Format() const { return formats_[size_t(formatIndex_)]; }
    int FormatIndex() const { return formatIndex_; }
    QString ChosenPath() const { return chosenPath_; }
    int32_t BitsPerPixel() const;
    int32_t Compression() const;
    int32_t QFactor() const;
    int32_t PageMode() const;
    bool WithStamp() const;
    int32_t StampWidth() const;
    int32_t StampHeight() const;
    int32_t StampBits() const;

    void accept() override;

private:
    void UseFormat(int index);
    void UpdateCompressions();
    // The typed name with the chosen format's extension in place of another
    // format's, or added when it has none.
    QString NameWithExtension(const QString& typed) const;

    std::vector<SaveDialogFormat> formats_;
    int formatIndex_ = 0;
    bool formatShown_ = false;
    uint32_t flags_ = 0;
    int32_t bitmapBits_ = 0;
    int32_t initialCompression_ = -1;
    size_t maxPath_ = kDlgSaveMaxPath;
    QString chosenPath_;
    PixDlgHelpCallback help_ = nullptr;
    void* userData_ = nullptr;

    QComboBox* bits_ = nullptr;
    QLabel* compressionLabel_ = nullptr;
    QComboBox* compression_ = nullptr;
    QLabel* qualityLabel_ = nullptr;
    QSpinBox* quality_ = nullptr;
    QLabel* pagesLabel_ = nullptr;
    QComboBox* pages_ = nullptr;
    QLabel* stampLabel_ = nullptr;
    QWidget* stampRow_ = nullptr;
    QCheckBox* stamp_ = nullptr;
    QSpinBox* stampWidth_ = nullptr;
    QSpinBox* stampHeight_ = nullptr;
    QComboBox* stampBits_ = nullptr;
};
