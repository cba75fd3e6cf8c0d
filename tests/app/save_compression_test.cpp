// SPDX-License-Identifier: GPL-3.0-or-later
// The compression chosen in File > Save As belongs to that save alone: a later
// save of the same picture without the dialog writes the format's usual
// compression, while the next Save As offers the one chosen last.
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdint>
#include <string>

#include "app/main_window.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/codecs/save_options.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"
#include "tests/support/isolated_settings.h"
#include "tests/support/save_dialog_driver.h"
#include "tests/support/window_fixture.h"

namespace {

fixtures::Bgr Photo(int x, int y) {
    return {uint8_t(x * 8), uint8_t(250 - y * 9), uint8_t((x ^ y) * 5)};
}

// The compression tag (259) of a little-endian TIFF file's first directory:
// 5 is LZW, 8 Deflate; -1 when the file has no such tag.
int TiffCompressionTag(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray b = file.readAll();
    auto u16 = [&](qsizetype at) {
        return at + 2 <= b.size() ? int(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8) : -1;
    };
    auto u32 = [&](qsizetype at) {
        return at + 4 <= b.size() ? qsizetype(uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16)
                                  : qsizetype(-1);
    };
    if (!b.startsWith("II*")) return -1;
    const qsizetype ifd = u32(4);
    const int count = u16(ifd);
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = ifd + 2 + 12 * i;
        if (u16(entry) == 259) return u16(entry + 8);
    }
    return -1;
}

}  // namespace

class SaveCompressionTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    window_test::Fixture fx_;

private slots:
    void initTestCase() { isolated_settings::Use(dir_); }
    void init() { fx_.Begin(); }
    void cleanup() {
        save_driver::Stop();
        fx_.End();
    }

    void aSaveWithoutTheDialogUsesTheUsualCompression() {
        TForm1 form("");
        const std::string photo = dir_.filePath("photo.bmp").toStdString();
        QVERIFY(fixtures::WriteFile(photo, fixtures::Bmp24(30, 20, Photo)));
        window_test::Open(form, photo);
        QVERIFY(form.PixImage2->HasBitmap());

        const QString chosen = dir_.filePath("deflate.tif");
        save_driver::Drive([&](QDialog* d) {
            save_driver::ChooseFormat(d, "TIFF");
            auto* compression = d->findChild<QComboBox*>("compression");
            compression->setCurrentIndex(compression->findData(pix::kCompressionDeflate));
            save_driver::TypeName(d, chosen);
            save_driver::PressSave(d);
        });
        form.Save1->trigger();
        QVERIFY2(fx_.messages.empty(), fx_.Shown().c_str());
        QCOMPARE(TiffCompressionTag(chosen), 8);

        const QString plain = dir_.filePath("plain.tif");
        QCOMPARE(
            form.PixImage2->Save(QFile::encodeName(plain).toStdString(), pix::kFormatTiff, 0, 2, 0),
            1);
        QCOMPARE(TiffCompressionTag(plain), 5);

        // The next Save As still offers the compression chosen last.
        QString offered;
        save_driver::Drive([&](QDialog* d) {
            offered = d->findChild<QComboBox*>("compression")->currentText();
            d->reject();
        });
        form.Save1->trigger();
        QCOMPARE(offered, QString("Deflate"));
    }
};

QTEST_MAIN(SaveCompressionTest)
#include "save_compression_test.moc"
