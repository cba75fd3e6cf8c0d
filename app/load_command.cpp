// SPDX-License-Identifier: GPL-3.0-or-later
// File > Load: picks a photo, measures it from its file header, refuses it
// when both sides exceed 1024 pixels, and otherwise loads it into the work
// image and both views. A photo named on the command line or dropped on the
// window takes the same road, as if it had been chosen in the dialog. A photo
// that cannot be read is reported and changes nothing; a changed, unsaved
// drawing is offered for saving before another photo replaces it.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/main_window.h"
#include "app/save_prompt.h"
#include "imaging/control/status/status_message.h"
#include "imaging/engine/status_codes.h"
#include "platform/qt/message_box.h"
#include "sketch/photo_size_rule.h"

const char* const TForm1::kOpenFilter =
    "bmp files(*.bmp)|*.bmp|jpeg files(*.jpeg)|*.jpeg|jpg files(*.jpg)|*.jpg|sgi "
    "files(*.sgi)|*.sgi|Cineon files(*.cin)|*.cin";

QStringList TForm1::NameFilters(const QString& filter) {
    // "description|pattern|description|pattern...": each description already
    // names its pattern in parentheses, which is how the dialog reads patterns.
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        filters << (description.endsWith("(" + pattern + ")") ? description
                                                              : description + " (" + pattern + ")");
    }
    return filters;
}

void TForm1::Load1Click() {
    const QStringList filters = NameFilters(kOpenFilter);
    QFileDialog* const dialog = OpenDialog1();
    dialog->setNameFilters(filters);
    dialog->selectNameFilter(lastConfirmedFilter_.isEmpty() ? filters.first()
                                                            : lastConfirmedFilter_);
    dialog->setDirectory(OpenDialogFolder());
    if (!lastConfirmedFile_.isEmpty()) dialog->selectFile(lastConfirmedFile_);
    // A cancel loads nothing: the photo, the drawing and its history stay.
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
    lastConfirmedFile_ = dialog->selectedFiles().first();
    lastConfirmedFilter_ = dialog->selectedNameFilter();
    LoadConfirmedPhoto();
}

void TForm1::OpenPhoto(const QString& path) {
    // The dialog gives full paths, and remembers the name for its next use.
    lastConfirmedFile_ = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    LoadConfirmedPhoto();
}

QString TForm1::OpenDialogFolder() const {
    if (!lastConfirmedFile_.isEmpty()) return QFileInfo(lastConfirmedFile_).absolutePath();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath();
}

void TForm1::LoadConfirmedPhoto() {
    const std::string f = QFile::encodeName(lastConfirmedFile_).toStdString();

    // The header alone decides, so a refused photo is never decoded and the
    // work image keeps the photo that the views show. A file whose header
    // cannot be read passes and is reported by the trial load below.
    const sketch::PhotoSize size = sketch::ReadPhotoSize(f);
    if (sketch::PhotoTooLarge(size.width, size.height)) {
        ShowUserMessage(sketch::kPhotoTooLargeMessage);
        return;
    }
    // A trial load first, so that a photo that cannot be read changes
    // nothing, and the question about an unsaved drawing comes only before a
    // photo that will replace it.
    {
        TPixImage trial;
        const int32_t status = trial.Load(f, 0, 0, 1);
        if (status != pix::kSuccess) {
            ShowUserMessage(CannotLoadMessage(f, status));
            return;
        }
    }
    if (!MayDiscardDrawing(kSaveBeforeLoadingText)) return;

    const int32_t status = Pixbackgnd->Load(f, 0, 0, 1);
    PixImage1->Load(f, 0, 0, 1);
    PixImage2->Load(f, 0, 0, 1);
    PixImage2->setVisible(false);
    photoFileName_ = f;
    ResetDrawingHistory();
    // Only a file changed or removed since the trial gets here.
    if (status != pix::kSuccess) ShowUserMessage(CannotLoadMessage(f, status));
}

std::string TForm1::CannotLoadMessage(const std::string& fileName, int32_t status) {
    return "Cannot load " + fileName + ": " + StatusMessage(status);
}
