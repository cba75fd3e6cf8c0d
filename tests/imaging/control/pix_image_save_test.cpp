// SPDX-License-Identifier: GPL-3.0-or-later
// The image control's file save: the allocation checks and error texts, files
// read back with exact pixels, the page modes, the use-lookup-table bit, and
// a cancelled save that leaves nothing behind.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <vector>

#include "imaging/control/pix_image.h"
#include "imaging/engine/codecs/file_format.h"
#include "imaging/engine/file_info.h"
#include "imaging/engine/format_options.h"
#include "imaging/engine/status_codes.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

namespace {

fixtures::Bgr Pattern(int x, int y) {
    return {uint8_t(x * 29 + y), uint8_t(255 - y * 13), uint8_t((x * y) & 0xFF)};
}

std::vector<uint8_t> Pixels(TPixImage& image) {
    const PixBitmap* b = image.HasBitmap();
    if (!b) return {};
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < b->Height; ++y) {
        const uint8_t* row = PixRow(*b, y);
        out.insert(out.end(), row, row + b->Width * b->BitsPerPixel / 8);
    }
    return out;
}

int32_t Pages(const std::string& path) {
    PixFileInfo info{};
    info.StructSize = sizeof info;
    if (P_FileInfo(path.c_str(), &info, sizeof info, 1, nullptr) != pix::kSuccess) return -1;
    return info.TotalPages;
}

QString Message(const std::function<void()>& call) {
    try {
        call();
    } catch (const EPixImageError& e) {
        return QString::fromLatin1(e.what());
    }
    return "(nothing raised)";
}

}  // namespace

class PixImageSaveTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    std::string Path(const QString& name) { return dir_.filePath(name).toStdString(); }

    // A control named like the main window's right view, holding a 7 x 5
    // picture loaded from a BMP.
    std::unique_ptr<TPixImage> Loaded(const std::string& photo = {}) {
        auto image = std::make_unique<TPixImage>();
        image->setObjectName("PixImage2");
        std::string path = photo;
        if (path.empty()) {
            path = Path("photo.bmp");
            if (!fixtures::WriteFile(path, fixtures::Bmp24(7, 5, Pattern))) qFatal("no fixture");
        }
        if (image->Load(path, 0, 0, -1) != pix::kSuccess) qFatal("no load");
        return image;
    }

private slots:
    void withoutImageAlwaysRaises() {
        TPixImage image;
        image.setObjectName("PixImage2");
        image.SetEnableMethodErrors(false);
        const std::string path = Path("never.png");
        QCOMPARE(Message([&] { image.Save(path, pix::kFormatPng, 0, 2, 0); }),
                 QString("PixImage2 \nSave: Image not allocated."));
        QCOMPARE(image.LastStatus(), pix::kInvalidBitmap);
        QCOMPARE(Message([&] { image.SaveWithStamp(path, pix::kFormatJpeg, 0, 2, 120, 120, 0); }),
                 QString("PixImage2 \nSaveWithStamp: Image not allocated."));
        QVERIFY(!QFile::exists(QString::fromStdString(path)));
    }

    // Every lossless format, through the plain and the progress save, read
    // back into another control pixel for pixel.
    void savedFileReadsBackExactly_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("progress");
        QTest::newRow("BMP") << pix::kFormatBmp << "out.bmp" << false;
        QTest::newRow("PNG") << pix::kFormatPng << "out.png" << false;
        QTest::newRow("TIFF") << pix::kFormatTiff << "out.tif" << false;
        QTest::newRow("SGI") << pix::kFormatSgi << "out.sgi" << false;
        QTest::newRow("PNG, progress save") << pix::kFormatPng << "progress.png" << true;
        QTest::newRow("TIFF, progress save") << pix::kFormatTiff << "progress.tif" << true;
    }
    void savedFileReadsBackExactly() {
        QFETCH(int, format);
        QFETCH(QString, name);
        QFETCH(bool, progress);
        auto image = Loaded();
        std::vector<int32_t> percents;
        image->SetEnableProgressEvent(progress);
        image->OnStatus = [&](TPixImage*, int32_t p) { percents.push_back(p); };
        const std::string path = Path(name);
        QCOMPARE(image->Save(path, format, 0, 2, 0), pix::kSuccess);
        QCOMPARE(image->LastStatus(), pix::kSuccess);
        if (progress) {
            QVERIFY(!percents.empty());
            QCOMPARE(percents.back(), 100);
        }

        TPixImage back;
        QCOMPARE(back.Load(path, 0, 0, 1), pix::kSuccess);
        QCOMPARE(back.BitmapWidth(), 7);
        QCOMPARE(back.BitmapHeight(), 5);
        QCOMPARE(back.BitsPerPixel(), 24);
        QVERIFY(Pixels(back) == Pixels(*image));
    }

    // Modify 0 starts a new file, 1 and -1 add a page; format code 2 (a list
    // format the engine does not write) is an error of the list save, and any
    // other code writes the current page only.
    void pageModes() {
        auto image = Loaded();
        const std::string path = Path("pages.tif");
        QCOMPARE(image->Save(path, pix::kFormatTiff, 0, 2, 0), pix::kSuccess);
        QCOMPARE(Pages(path), 1);
        QCOMPARE(image->Save(path, pix::kFormatTiff, 0, 2, -1), pix::kSuccess);
        QCOMPARE(Pages(path), 2);
        QCOMPARE(image->Save(path, pix::kFormatTiff, 0, 2, 1), pix::kSuccess);
        QCOMPARE(Pages(path), 3);
        QCOMPARE(image->Save(path, pix::kFormatTiff, 0, 2, 0), pix::kSuccess);
        QCOMPARE(Pages(path), 1);

        QCOMPARE(image->Save(path, pix::kFormatTiff, 0, 2, 1), pix::kSuccess);
        auto pages = Loaded(path);
        const std::string copy = Path("copy.tif");
        QCOMPARE(Message([&] { pages->Save(copy, 2, 0, 2, 0); }),
                 QString("PixImage2 \nError code: -16\nSave: Feature not supported. "));
        QCOMPARE(pages->LastStatus(), pix::kNotSupported);
        QVERIFY(!QFile::exists(QString::fromStdString(copy)));
        QCOMPARE(pages->Save(copy, pix::kFormatTiff, 0, 2, 0), pix::kSuccess);
        QCOMPARE(Pages(copy), 1);
    }

    // The engine's failures raise with the operation's name, or only return
    // without EnableMethodErrors.
    void engineFailures() {
        auto image = Loaded();
        const std::string path = Path("bad.jpg");
        QCOMPARE(Message([&] { image->Save(path, pix::kFormatJpeg, 0, 300, 0); }),
                 QString("PixImage2 \nError code: -21\nSave: Invalid QFactor specified. "));
        QCOMPARE(
            Message([&] { image->SaveWithStamp(Path("s.png"), pix::kFormatPng, 0, 2, 60, 60, 0); }),
            QString("PixImage2 \nError code: -16\nSaveWithStamp: Feature not supported. "));
        image->SetEnableMethodErrors(false);
        QCOMPARE(image->Save(path, pix::kFormatJpeg, 0, 300, 0), -21);
        QCOMPARE(image->LastStatus(), -21);
        QVERIFY(!QFile::exists(QString::fromStdString(path)));
        QCOMPARE(image->SaveWithStamp(Path("s.jpg"), pix::kFormatJpeg, 0, 2, 60, 40, 8),
                 pix::kSuccess);
        QVERIFY(QFile::exists(dir_.filePath("s.jpg")));
    }

    // The descriptor's bit is UseLUT's while the engine writes, and as it was
    // afterwards; UseLUT follows the bit.
    void useLutAppliedAndPutBack() {
        auto image = Loaded();
        QVERIFY(!(image->HasBitmap()->Flags & kBitmapUseLookupTable));
        QVERIFY(image->UseLUT());
        image->SetEnableProgressEvent(true);
        std::vector<bool> seen;
        image->OnStatus = [&](TPixImage* sender, int32_t) {
            seen.push_back((sender->HasBitmap()->Flags & kBitmapUseLookupTable) != 0);
        };
        QCOMPARE(image->Save(Path("lut.png"), pix::kFormatPng, 0, 2, 0), pix::kSuccess);
        QVERIFY(!seen.empty());
        QVERIFY(std::all_of(seen.begin(), seen.end(), [](bool b) { return b; }));
        QVERIFY(!(image->HasBitmap()->Flags & kBitmapUseLookupTable));
        QVERIFY(!image->UseLUT());
    }

    // Cancelled from OnStatus: nothing is written, a file already there keeps
    // its bytes, and the error names the abort.
    void cancelledSaveLeavesNothing() {
        auto image = Loaded();
        image->SetEnableProgressEvent(true);
        image->OnStatus = [](TPixImage* sender, int32_t percent) {
            if (percent >= 40) sender->SetEnableProgressEvent(false);
        };
        const std::string fresh = Path("cancelled.png");
        QCOMPARE(Message([&] { image->Save(fresh, pix::kFormatPng, 0, 2, 0); }),
                 QString("PixImage2 \nError code: -29\nSave: Escape key pressed = - or user "
                         "aborted operation. "));
        QVERIFY(!QFile::exists(QString::fromStdString(fresh)));

        const std::string kept = Path("kept.png");
        QVERIFY(fixtures::WriteFile(kept, {'o', 'l', 'd'}));
        image->SetEnableProgressEvent(true);
        image->SetEnableMethodErrors(false);
        QCOMPARE(image->Save(kept, pix::kFormatPng, 0, 2, 0), pix::kUserAbort);
        QFile f(QString::fromStdString(kept));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old"));
        // The control is free again afterwards.
        image->SetEnableProgressEvent(false);
        QCOMPARE(image->Save(kept, pix::kFormatPng, 0, 2, 0), pix::kSuccess);
    }
};

QTEST_MAIN(PixImageSaveTest)
#include "pix_image_save_test.moc"
