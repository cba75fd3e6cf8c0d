// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/engine/ui/save_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QTreeView>
#include <QUrl>
#include <algorithm>

#include "imaging/engine/codecs/format_table.h"
#include "imaging/engine/codecs/save_options.h"
#include "imaging/engine/status_codes.h"

namespace {

// The folder of the last confirmed save, where the next dialog opens.
QString g_lastFolder;

// The format the dialog starts with when neither the record nor the name
// chooses one: lossless and compact, which suits drawings.
constexpr int32_t kPreferredFormat = pix::kFormatPng;

constexpr int32_t kStampSideMax = 1024;

QString DepthText(int32_t bits) {
    switch (bits) {
        case 1:
            return "1 bit (2 colours)";
        case 4:
            return "4 bits (16 colours)";
        case 8:
            return "8 bits (256 colours)";
        case 24:
            return "24 bits (true colour)";
        default:
            return QString("%1 bits").arg(bits);
    }
}

bool IsJpegCompression(int32_t code) {
    return code == pix::kCompressionJpeg || code == pix::kCompressionProgressiveJpeg;
}

QString NameFilter(const SaveDialogFormat& f) {
    QStringList patterns;
    for (const QString& e : f.extensions) patterns << "*" + e;
    return f.name + " (" + patterns.join(' ') + ")";
}

// The usual places of a desktop: home, desktop, documents, pictures and the
// file system's root, those that exist.
QList<QUrl> UsualPlaces() {
    QList<QUrl> urls;
    for (auto location : {QStandardPaths::HomeLocation, QStandardPaths::DesktopLocation,
                          QStandardPaths::DocumentsLocation, QStandardPaths::PicturesLocation}) {
        const QString path = QStandardPaths::writableLocation(location);
        if (!path.isEmpty() && QFileInfo(path).isDir()) {
            const QUrl url = QUrl::fromLocalFile(path);
            if (!urls.contains(url)) urls << url;
        }
    }
    urls << QUrl::fromLocalFile(QDir::rootPath());
    return urls;
}

QString StartFolder(const OPENFILENAMEA& ofn) {
    if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir) return QFile::decodeName(ofn.lpstrInitialDir);
    if (!g_lastFolder.isEmpty() && QFileInfo(g_lastFolder).isDir()) return g_lastFolder;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir()) return pictures;
    return QDir::homePath();
}

int FindFormat(const std::vector<SaveDialogFormat>& formats, int32_t code) {
    for (size_t i = 0; i < formats.size(); ++i)
        if (formats[i].code == code) return int(i);
    return -1;
}

int FindFormatByName(const std::vector<SaveDialogFormat>& formats, const QString& name) {
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix.isEmpty()) return -1;
    for (size_t i = 0; i < formats.size(); ++i)
        if (formats[i].extensions.contains("." + suffix)) return int(i);
    return -1;
}

}  // namespace

std::vector<SaveDialogFormat> SaveDialogFormats(const PixDlgSaveParams& params) {
    auto text = [](std::string_view v) {
        return QString::fromLatin1(v.data(), qsizetype(v.size()));
    };
    // What the engine can do with one format, deepest first.
    auto engineFormat = [&](const pix::FileFormatEntry& e) {
        SaveDialogFormat f;
        f.code = e.code;
        f.name = text(e.name);
        for (std::string_view x : e.extensions) f.extensions << text(x);
        const std::vector<pix::SaveChoice> choices = pix::SaveChoices(e.code);
        for (auto c = choices.rbegin(); c != choices.rend(); ++c) {
            if (f.depths.empty() || f.depths.back().bits != c->bitsPerPixel)
                f.depths.push_back({c->bitsPerPixel, {}});
            QString name;
            for (const pix::SaveCompression& k : e.compressions)
                if (k.code == c->compression) name = text(k.name);
            f.depths.back().compressions.push_back({c->compression, name});
        }
        // Table order within a depth: SaveChoices lists them so; reversing
        // the choices reversed them too.
        for (SaveDialogFormat::Depth& d : f.depths)
            std::reverse(d.compressions.begin(), d.compressions.end());
        f.quality =
            e.code == pix::kFormatJpeg || e.code == pix::kFormatJp2 || e.code == pix::kFormatJ2k;
        f.stamp = e.code == pix::kFormatJpeg || e.code == pix::kFormatTiff;
        f.pages = e.code == pix::kFormatTiff;
        return f;
    };
    std::vector<SaveDialogFormat> all;
    for (const pix::FileFormatEntry& e : pix::FileFormats())
        if (e.saveDepths != 0) all.push_back(engineFormat(e));
    if (!params.FormatList || params.FormatCount == 0) return all;

    // The caller's list: its formats in its order, each with those of its
    // pairs that the engine can save.
    std::vector<SaveDialogFormat> offered;
    for (uint32_t i = 0; i < params.FormatCount; ++i) {
        const PixSaveFormatItem& item = params.FormatList[i];
        const int known = FindFormat(all, item.FileFormat);
        if (known < 0) continue;
        SaveDialogFormat f = all[size_t(known)];
        if (item.SubFormatCount > 0 && item.SubFormats) {
            std::vector<SaveDialogFormat::Depth> depths;
            for (uint32_t j = 0; j < item.SubFormatCount; ++j) {
                const PixSaveSubFormat& sub = item.SubFormats[j];
                const SaveDialogFormat::Compression* known = nullptr;
                for (const SaveDialogFormat::Depth& d : f.depths)
                    if (d.bits == sub.BitsPerPixel)
                        for (const SaveDialogFormat::Compression& c : d.compressions)
                            if (c.code == sub.SubFormat) known = &c;
                if (!known) continue;
                auto d = std::find_if(depths.begin(), depths.end(),
                                      [&](const auto& x) { return x.bits == sub.BitsPerPixel; });
                if (d == depths.end()) {
                    depths.push_back({sub.BitsPerPixel, {}});
                    d = depths.end() - 1;
                }
                d->compressions.push_back(*known);
            }
            if (depths.empty()) continue;
            f.depths = std::move(depths);
        }
        offered.push_back(std::move(f));
    }
    return offered;
}

SaveDialog::SaveDialog(QWidget* parent, const OPENFILENAMEA& ofn, const PixDlgSaveParams& params,
                       std::vector<SaveDialogFormat> formats, const QFont& font)
    : QFileDialog(parent),
      formats_(std::move(formats)),
      flags_(params.DialogFlags),
      bitmapBits_(params.Bitmap ? params.Bitmap->BitsPerPixel : 0),
      help_(params.HelpCallback),
      userData_(params.UserData) {
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    // accept() asks before replacing, knowing the page mode.
    setOption(QFileDialog::DontConfirmOverwrite);
    setWindowTitle(ofn.lpstrTitle && *ofn.lpstrTitle ? QString::fromLocal8Bit(ofn.lpstrTitle)
                                                     : QString("Save As"));
    setFont(font);
    // The caller's modal bracket may have disabled the parent window; a dialog
    // is a window of its own and stays usable.
    setEnabled(true);
    setLabelText(QFileDialog::FileType, "Format:");
    setSidebarUrls(UsualPlaces());
    resize(860, 560);
    if (auto* splitter = findChild<QSplitter*>("splitter")) splitter->setSizes({170, 690});
    // Room for the whole type name; the date takes what is left.
    if (auto* tree = findChild<QTreeView*>("treeView")) {
        tree->setColumnWidth(0, 280);
        tree->setColumnWidth(2, 150);
        tree->header()->setStretchLastSection(true);
    }
    setDirectory(StartFolder(ofn));
    // The record's compression (the one chosen last time), if the format has it.
    initialCompression_ = DlgSaveCompression(params.AuxValue1);
    if (ofn.nMaxFile > 0) maxPath_ = std::min<size_t>(maxPath_, ofn.nMaxFile - 1);

    QStringList filters;
    for (const SaveDialogFormat& f : formats_) filters << NameFilter(f);
    setNameFilters(filters);

    const QString initialName =
        ofn.lpstrFile && *ofn.lpstrFile ? QFile::decodeName(ofn.lpstrFile) : QString();
    // The record's format, else the initial name's, else the filter index,
    // else the preferred one.
    int start = FindFormat(formats_, params.FileFormat);
    if (start < 0) start = FindFormatByName(formats_, initialName);
    if (start < 0 && ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= formats_.size())
        start = int(ofn.nFilterIndex) - 1;
    if (start < 0) start = std::max(0, FindFormat(formats_, kPreferredFormat));

    // The options, in rows of the file dialog's own grid below its file types.
    auto* grid = qobject_cast<QGridLayout*>(layout());
    int row = grid ? grid->rowCount() : 0;
    auto addRow = [&](const QString& text, QWidget* field) {
        auto* label = new QLabel(text, this);
        label->setBuddy(field);
        if (grid) {
            grid->addWidget(label, row, 0);
            grid->addWidget(field, row, 1);
            ++row;
        }
        return label;
    };

    bits_ = new QComboBox(this);
    bits_->setObjectName("bitsPerPixel");
    addRow("&Bits per pixel:", bits_);

    compression_ = new QComboBox(this);
    compression_->setObjectName("compression");
    compressionLabel_ = addRow("Co&mpression:", compression_);

    quality_ = new QSpinBox(this);
    quality_->setObjectName("quality");
    quality_->setRange(pix::kBestQualityFactor, pix::kSmallestQualityFactor);
    quality_->setValue(
        std::clamp(params.QFactor, pix::kBestQualityFactor, pix::kSmallestQualityFactor));
    quality_->setToolTip("2 gives the best quality; larger values give smaller files.");
    auto* qualityRow = new QWidget(this);
    auto* qualityLayout = new QHBoxLayout(qualityRow);
    qualityLayout->setContentsMargins(0, 0, 0, 0);
    qualityLayout->addWidget(quality_);
    qualityLayout->addWidget(new QLabel("(2 = best quality, higher = smaller file)", qualityRow));
    qualityLayout->addStretch(1);
    qualityLabel_ = addRow("&Quality factor:", qualityRow);
    qualityLabel_->setBuddy(quality_);

    pages_ = new QComboBox(this);
    pages_->setObjectName("pageMode");
    pages_->addItem("Replace the file", kPageModeReplaceFile);
    pages_->addItem("Add as its last page", kPageModeAppend);
    pages_->addItem("Insert as its first page", kPageModeInsertPage);
    pages_->addItem("Replace its first page", kPageModeReplacePage);
    const int pageIndex = pages_->findData(params.PageModePlusOne - 1);
    pages_->setCurrentIndex(std::max(0, pageIndex));
    pagesLabel_ = addRow("&Pages:", pages_);

    stampRow_ = new QWidget(this);
    auto* stampLayout = new QHBoxLayout(stampRow_);
    stampLayout->setContentsMargins(0, 0, 0, 0);
    stamp_ = new QCheckBox("&Embed a thumbnail of", stampRow_);
    stamp_->setObjectName("stamp");
    stamp_->setChecked(params.WithStamp != 0);
    stampWidth_ = new QSpinBox(stampRow_);
    stampWidth_->setObjectName("stampWidth");
    stampWidth_->setRange(1, kStampSideMax);
    stampWidth_->setValue(std::clamp(params.StampWidth, 1, kStampSideMax));
    stampHeight_ = new QSpinBox(stampRow_);
    stampHeight_->setObjectName("stampHeight");
    stampHeight_->setRange(1, kStampSideMax);
    stampHeight_->setValue(std::clamp(params.StampHeight, 1, kStampSideMax));
    stampBits_ = new QComboBox(stampRow_);
    stampBits_->setObjectName("stampBits");
    stampBits_->addItem("the picture's colours", 0);
    stampBits_->addItem("grey", 8);
    stampBits_->addItem("true colour", 24);
    stampBits_->setCurrentIndex(std::max(0, stampBits_->findData(params.StampBits)));
    stampLayout->addWidget(stamp_);
    stampLayout->addWidget(stampWidth_);
    stampLayout->addWidget(new QLabel("x", stampRow_));
    stampLayout->addWidget(stampHeight_);
    stampLayout->addWidget(new QLabel("pixels in", stampRow_));
    stampLayout->addWidget(stampBits_);
    stampLayout->addStretch(1);
    stampLabel_ = addRow("S&tamp:", stampRow_);
    stampLabel_->setBuddy(stamp_);
    auto enableStampFields = [this] {
        const bool on = stamp_->isChecked();
        stampWidth_->setEnabled(on);
        stampHeight_->setEnabled(on);
        stampBits_->setEnabled(on);
    };
    connect(stamp_, &QCheckBox::toggled, this, enableStampFields);
    enableStampFields();

    if (help_) {
        if (auto* buttons = findChild<QDialogButtonBox*>("buttonBox")) {
            QPushButton* helpButton = buttons->addButton(QDialogButtonBox::Help);
            connect(helpButton, &QPushButton::clicked, this,
                    [this] { help_(kDlgIdSave, 0, userData_); });
        }
    }

    connect(bits_, &QComboBox::currentIndexChanged, this, [this] { UpdateCompressions(); });
    connect(compression_, &QComboBox::currentIndexChanged, this, [this] {
        const bool jpeg = IsJpegCompression(compression_->currentData().toInt());
        quality_->setEnabled(Format().quality || jpeg);
    });
    // The file types are the formats, in the same order.
    if (auto* types = findChild<QComboBox*>("fileTypeCombo"))
        connect(types, &QComboBox::currentIndexChanged, this,
                [this](int index) { UseFormat(index); });

    selectNameFilter(filters.value(start));
    UseFormat(start);
    if (!initialName.isEmpty()) selectFile(NameWithExtension(QFileInfo(initialName).fileName()));
    const int bitsIndex =
        bits_->findData(params.BitsPerPixel != 0 ? params.BitsPerPixel : bitmapBits_);
    if (bitsIndex >= 0) bits_->setCurrentIndex(bitsIndex);
}

void SaveDialog::UseFormat(int index) {
    if (index < 0 || size_t(index) >= formats_.size()) return;
    if (formatShown_ && index == formatIndex_) return;
    formatShown_ = true;
    const int32_t previousBits = bits_->currentData().toInt();
    formatIndex_ = index;
    const SaveDialogFormat& f = Format();
    setDefaultSuffix(f.extensions.value(0).mid(1));

    {
        const QSignalBlocker block(bits_);
        bits_->clear();
        for (const SaveDialogFormat::Depth& d : f.depths) bits_->addItem(DepthText(d.bits), d.bits);
        // Keep the depth chosen before when this format has it, else the
        // picture's own, else the deepest.
        int keep = bits_->findData(previousBits);
        if (keep < 0) keep = bits_->findData(bitmapBits_);
        if (keep < 0) keep = 0;
        bits_->setCurrentIndex(keep);
    }
    // Another format starts from its usual compression.
    compression_->clear();
    UpdateCompressions();

    const bool pages = f.pages && (flags_ & kDlgSaveOfferPages);
    pagesLabel_->setVisible(pages);
    pages_->setVisible(pages);
    const bool stamp = f.stamp && (flags_ & kDlgSaveOfferStamp);
    stampLabel_->setVisible(stamp);
    stampRow_->setVisible(stamp);

    // The extension of the typed name follows the format.
    if (auto* edit = findChild<QLineEdit*>("fileNameEdit")) {
        const QString typed = edit->text();
        if (!typed.isEmpty()) {
            const QString fixed = NameWithExtension(typed);
            if (fixed != typed) edit->setText(fixed);
        }
    }
}

void SaveDialog::UpdateCompressions() {
    const SaveDialogFormat& f = Format();
    const int32_t bits = bits_->currentData().toInt();
    // The compression chosen before at another depth, else the one of the
    // record (for the first format shown), else the usual one.
    const int32_t previous = compression_->currentData().isValid()
                                 ? compression_->currentData().toInt()
                                 : initialCompression_;
    initialCompression_ = pix::kCompressionDefault;
    {
        const QSignalBlocker block(compression_);
        compression_->clear();
        for (const SaveDialogFormat::Depth& d : f.depths) {
            if (d.bits != bits) continue;
            for (const auto& c : d.compressions) compression_->addItem(c.name, c.code);
        }
        const int keep = compression_->findData(previous);
        compression_->setCurrentIndex(keep >= 0 ? keep : 0);
    }
    const bool choice = compression_->count() > 1;
    compressionLabel_->setVisible(choice);
    compression_->setVisible(choice);
    const bool quality =
        f.quality || std::any_of(f.depths.begin(), f.depths.end(), [](const auto& d) {
            return std::any_of(d.compressions.begin(), d.compressions.end(),
                               [](const auto& c) { return IsJpegCompression(c.code); });
        });
    qualityLabel_->setVisible(quality);
    quality_->parentWidget()->setVisible(quality);
    quality_->setEnabled(f.quality || IsJpegCompression(Compression()));
}

QString SaveDialog::NameWithExtension(const QString& typed) const {
    const SaveDialogFormat& f = Format();
    const QString usual = f.extensions.value(0);
    const QString suffix = QFileInfo(typed).suffix().toLower();
    if (!suffix.isEmpty() && f.extensions.contains("." + suffix)) return typed;
    // Another format's extension is replaced; any other suffix is part of the
    // name ("sketch.v2" becomes "sketch.v2.png").
    if (!suffix.isEmpty() && FindFormatByName(formats_, typed) >= 0)
        return typed.left(typed.size() - suffix.size() - 1) + usual;
    return typed + usual;
}

int32_t SaveDialog::BitsPerPixel() const {
    return bits_->currentData().toInt();
}
int32_t SaveDialog::Compression() const {
    return compression_->count() > 0 ? compression_->currentData().toInt()
                                     : pix::kCompressionDefault;
}
int32_t SaveDialog::QFactor() const {
    return quality_->value();
}
int32_t SaveDialog::PageMode() const {
    return pages_->isVisibleTo(this) ? pages_->currentData().toInt() : kPageModeReplaceFile;
}
bool SaveDialog::WithStamp() const {
    return stampRow_->isVisibleTo(this) && stamp_->isChecked();
}
int32_t SaveDialog::StampWidth() const {
    return stampWidth_->value();
}
int32_t SaveDialog::StampHeight() const {
    return stampHeight_->value();
}
int32_t SaveDialog::StampBits() const {
    return stampBits_->currentData().toInt();
}

void SaveDialog::accept() {
    auto* edit = findChild<QLineEdit*>("fileNameEdit");
    const QString typed = edit ? edit->text().trimmed() : QString();
    if (typed.isEmpty()) return;
    const QFileInfo typedInfo(directory(), typed);
    // A folder typed as the name opens it, as the file dialog does.
    if (typedInfo.isDir()) {
        QFileDialog::accept();
        return;
    }
    const QString name = NameWithExtension(typed);
    const QString path = QFileInfo(directory(), name).absoluteFilePath();
    if (size_t(QFile::encodeName(path).size()) > maxPath_) {
        QMessageBox::warning(this, windowTitle(),
                             "The file name is too long.\nChoose a shorter name or folder.");
        return;
    }
    const QFileInfo target(path);
    if (target.exists() && target.isDir()) return;
    // Only a save that replaces the file replaces it; the other page modes add
    // to it.
    if (target.exists() && PageMode() == kPageModeReplaceFile) {
        const auto answer = QMessageBox::warning(
            this, windowTitle(),
            QString("%1 already exists.\nDo you want to replace it?").arg(target.fileName()),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
    }
    chosenPath_ = path;
    g_lastFolder = target.absolutePath();
    QDialog::accept();
}
