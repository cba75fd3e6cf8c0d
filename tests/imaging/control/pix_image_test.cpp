// SPDX-License-Identifier: GPL-3.0-or-later
// The image control: geometry, fit layout and painting, the device-context
// pair, the busy and status checks with their exact messages, the processing
// bracket with its cancel path, pixel export, and file load.
#include "imaging/control/pix_image.h"

#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "imaging/engine/file_read.h"
#include "imaging/engine/format_options.h"
#include "platform/dib.h"
#include "platform/qt/message_box.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

namespace {

const QColor kBack(10, 20, 30);

fixtures::Bgr Gradient(int x, int y) {
    return fixtures::Bgr{uint8_t(x), uint8_t(y), uint8_t(x + y)};
}

}  // namespace

class PixImageTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    std::string Photo(int w, int h,
                      const std::function<fixtures::Bgr(int, int)>& color = Gradient) {
        const std::string path =
            dir_.filePath(QString("photo-%1x%2.bmp").arg(w).arg(h)).toStdString();
        if (!fixtures::WriteFile(path, fixtures::Bmp24(w, h, color)))
            qFatal("cannot write fixture");
        return path;
    }

    // A control named like the main window's left view, of its size.
    std::unique_ptr<TPixImage> View() {
        auto image = std::make_unique<TPixImage>();
        image->setObjectName("PixImage1");
        image->resize(489, 425);
        image->SetBackColor(kBack);
        return image;
    }

    static QString Message(const std::function<void()>& call) {
        try {
            call();
        } catch (const EPixImageError& e) {
            return QString::fromLatin1(e.what());
        }
        return "(nothing raised)";
    }

private slots:
    void fitLayout_data() {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("destW");
        QTest::addColumn<int>("destH");
        QTest::addColumn<double>("zoom");
        QTest::newRow("1024x768") << 1024 << 768 << 489 << 367 << 0.4775390625;
        // 512 x 0.4775390625 = 244.5 exactly: the tie goes to the even 244.
        QTest::newRow("1024x512 tie") << 1024 << 512 << 489 << 244 << 0.4775390625;
        // 425/600 is slightly above the fraction in double precision.
        QTest::newRow("300x600") << 300 << 600 << 213 << 425 << 425.0 / 600.0;
        QTest::newRow("163x100 enlarged") << 163 << 100 << 489 << 300 << 3.0;
    }
    void fitLayout() {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(int, destW);
        QFETCH(int, destH);
        QFETCH(double, zoom);
        auto image = View();
        image->SetPaintSizeMode(smFit);
        QCOMPARE(image->Load(Photo(w, h), 0, 0, 1), 1);
        QCOMPARE(image->ZoomX(), zoom);
        QCOMPARE(image->ZoomY(), zoom);
        QCOMPARE(image->DestRect(), (PixRect{0, 0, destW, destH}));
        QCOMPARE(image->PaintClipRect(), (PixRect{0, 0, destW, destH}));
        QCOMPARE(image->SourceRect(), (PixRect{0, 0, w, h}));
        QCOMPARE(image->HScrollRange(), 0);
        QCOMPARE(image->VScrollRange(), 0);
    }

    void scaleExtentRules() {
        QCOMPARE(TPixImage::ScaleExtent(5, 0.5), 2);   // 2.5 to even
        QCOMPARE(TPixImage::ScaleExtent(7, 0.5), 4);   // 3.5 to even
        QCOMPARE(TPixImage::ScaleExtent(9, -2.0), 3);  // 9 / 3
        QCOMPARE(TPixImage::ScaleExtent(9, 0.0), 1);
    }

    void zoomFactor() {
        auto image = View();
        image->Load(Photo(200, 100), 0, 0, 1);
        QCOMPARE(Message([&] { image->SetPaintZoomFactor(-1); }),
                 QString("PixImage1 \nPaintZoomFactor: Invalid value passed."));
        QCOMPARE(image->LastStatus(), -13);
        image->SetPaintZoomFactor(50);
        QCOMPARE(image->PaintSizeMode(), smZoom);
        QCOMPARE(image->PaintZoomFactor(), 50);
        QCOMPARE(image->DestRect(), (PixRect{0, 0, 100, 50}));
        // Larger than the view: scroll ranges open up.
        image->SetPaintZoomFactor(400);
        QCOMPARE(image->DestRect().Width, 800);
        QCOMPARE(image->HScrollRange(), 800 - 489);
        QCOMPARE(image->VScrollRange(), 0);
    }

    void paintDrawsTopLeftAndFillsOnlyTheRest() {
        auto image = View();
        image->SetPaintSizeMode(smFit);
        image->Load(Photo(1024, 768,
                          [](int, int) {
                              return fixtures::Bgr{200, 100, 50};
                          }),
                    0, 0, 1);
        image->show();
        const QImage shot = image->grab().toImage();
        QCOMPARE(shot.pixelColor(0, 0), QColor(50, 100, 200));
        QCOMPARE(shot.pixelColor(488, 366), QColor(50, 100, 200));
        QCOMPARE(shot.pixelColor(0, 367), kBack);
        QCOMPARE(shot.pixelColor(488, 424), kBack);
    }

    void emptyControlPaintsBackColorOnly() {
        auto image = View();
        image->SetPaintSizeMode(smFit);
        QCOMPARE(image->DestRect(), (PixRect{0, 0, 0, 0}));
        image->show();
        const QImage shot = image->grab().toImage();
        for (const QPoint p : {QPoint(0, 0), QPoint(244, 212), QPoint(488, 424)}) {
            QCOMPARE(shot.pixelColor(p), kBack);
        }
    }

    void failedLoadLeavesControlEmpty() {
        auto image = View();
        image->Load(Photo(40, 30), 0, 0, 1);
        QCOMPARE(image->Load(dir_.filePath("missing.bmp").toStdString(), 0, 0, 1), -10);
        QCOMPARE(image->LastStatus(), -10);
        QVERIFY(image->HasBitmap() == nullptr);
        QCOMPARE(image->BitmapWidth(), 0);
        QCOMPARE(image->BitmapHeight(), 0);
    }

    void loadNoPagesLeavesEmptyWithSuccess() {
        auto image = View();
        QCOMPARE(image->Load(Photo(40, 30), 0, 0, 0), 1);
        QVERIFY(image->HasBitmap() == nullptr);
        QCOMPARE(image->BitmapWidth(), 0);
    }

    void loadKeepsDepthAndRemembersName() {
        auto image = View();
        const std::string path = Photo(40, 30);
        QCOMPARE(image->Load(path, 0, 0, 1), 1);
        QCOMPARE(image->BitsPerPixel(), 24);
        QCOMPARE(image->BitmapWidth(), 40);
        QCOMPARE(image->BitmapHeight(), 30);
        QCOMPARE(image->FileName(), path);
        const PixBitmap* b = image->HasBitmap();
        QVERIFY(b);
        // Top row, pixel 5: blue 5, green 0, red 5.
        QCOMPARE(int(b->Data[15]), 5);
        QCOMPARE(int(b->Data[16]), 0);
        QCOMPARE(int(b->Data[17]), 5);
    }

    void loadReadsTheFileOnce() {
        auto image = View();
        const std::string path = Photo(40, 30);
        const std::string missing = dir_.filePath("missing.bmp").toStdString();
        std::vector<std::string> opened;
        const pix::FileOpenObserver previous =
            pix::SetFileOpenObserver([&](const char* p) { opened.emplace_back(p); });
        const int32_t loaded = image->Load(path, 0, 0, 1);
        const int32_t failed = image->Load(missing, 0, 0, 1);
        pix::SetFileOpenObserver(previous);
        QCOMPARE(loaded, 1);
        QCOMPARE(failed, -10);
        QVERIFY(opened == (std::vector<std::string>{path, missing}));
    }

    void cancelFromOnStatusLeavesLoadEmpty() {
        auto image = View();
        int reports = 0;
        image->OnStatus = [&](TPixImage* sender, int32_t) {
            ++reports;
            sender->SetEnableProgressEvent(false);
        };
        image->SetEnableProgressEvent(true);
        image->Load(Photo(16, 600), 0, 0, 1);
        QVERIFY(reports >= 1);
        QVERIFY(image->HasBitmap() == nullptr);
        QCOMPARE(image->BitmapWidth(), 0);
        QCOMPARE(image->BitmapHeight(), 0);
        // Nothing stays busy: the next load goes through.
        image->OnStatus = nullptr;
        QCOMPARE(image->Load(Photo(16, 600), 0, 0, 1), 1);
        QCOMPARE(image->BitmapHeight(), 600);
    }

    void getBitmapDcTwiceIsBusy() {
        auto image = View();
        image->Load(Photo(20, 10), 0, 0, 1);
        QVERIFY(image->GetBitmapDC() != nullptr);
        QCOMPARE(Message([&] { image->GetBitmapDC(); }),
                 QString("PixImage1 \nError code: 0\nProcessing Not allowed: Function not "
                         "successful. "));
        QCOMPARE(image->LastStatus(), 0);
        // Colour operations and loads are refused too, and the pixels stay.
        const uint8_t before = image->HasBitmap()->Data[3];
        QCOMPARE(Message([&] { image->Saturation(-1000); }),
                 QString("PixImage1 \nError code: 0\nProcessing Not allowed: Function not "
                         "successful. "));
        QCOMPARE(Message([&] { image->Load(Photo(20, 10), 0, 0, 1); }),
                 QString("PixImage1 \nError code: 0\nProcessing Not allowed: Function not "
                         "successful. "));
        QCOMPARE(image->ReleaseBitmapDC(), 1);
        QCOMPARE(image->HasBitmap()->Data[3], before);
    }

    void getBitmapDcWithoutImage() {
        auto image = View();
        image->SetEnableMethodErrors(false);
        QCOMPARE(Message([&] { image->GetBitmapDC(); }),
                 QString("PixImage1 \nGetBitmapDC: Image Not allocated."));
        QCOMPARE(image->LastStatus(), -2);
    }

    void releaseWithoutContext() {
        auto image = View();
        QCOMPARE(Message([&] { image->ReleaseBitmapDC(); }),
                 QString("PixImage1 \nError code: 0\nReleaseBitmapDC: Function not successful. "));
        image->SetEnableMethodErrors(false);
        QCOMPARE(image->ReleaseBitmapDC(), 0);
        QCOMPARE(image->LastStatus(), 0);
    }

    void colorOperationWithoutImage() {
        auto image = View();
        QCOMPARE(Message([&] { image->Invert(); }),
                 QString("PixImage1 \nError code: -2\nInvert: Invalid bitmap handle. "));
        image->SetEnableMethodErrors(false);
        QCOMPARE(image->Saturation(-1000), -2);
        QCOMPARE(image->LastStatus(), -2);
        QCOMPARE(Message([&] { image->GetDIB(0); }),
                 QString("PixImage1 \nGetDIB: Image Not allocated."));
    }

    void intensityZeroRunsTheWholeBracket() {
        auto image = View();
        image->Load(Photo(8, 8), 0, 0, 1);
        int changes = 0;
        image->OnChange = [&](TPixImage*) { ++changes; };
        QCOMPARE(image->Intensity(0), 1);
        QCOMPARE(changes, 1);
        QVERIFY(image->HasBitmap() != nullptr);
    }

    void cancelFromOnStatusRestoresBitmap() {
        auto image = View();
        // Tall enough for several progress reports.
        image->Load(Photo(16, 600), 0, 0, 1);
        std::vector<uint8_t> before(image->HasBitmap()->Data,
                                    image->HasBitmap()->Data + image->HasBitmap()->Size);
        int changes = 0;
        int reports = 0;
        image->OnChange = [&](TPixImage*) { ++changes; };
        image->OnStatus = [&](TPixImage* sender, int32_t) {
            ++reports;
            sender->SetEnableProgressEvent(false);
        };
        image->SetEnableProgressEvent(true);
        image->SetEnableMethodErrors(false);
        // Stopped by the status callback: the engine's "stopped" status.
        QCOMPARE(image->Invert(), -29);
        QCOMPARE(image->LastStatus(), -29);
        QCOMPARE(reports, 1);
        QCOMPARE(changes, 0);
        const PixBitmap* after = image->HasBitmap();
        QVERIFY(after);
        QVERIFY(std::memcmp(after->Data, before.data(), before.size()) == 0);
        // Not busy any more.
        QCOMPARE(image->Invert(), 1);
    }

    void bitmapUpdateMessage() {
        auto image = View();
        image->Load(Photo(8, 8), 0, 0, 1);
        int changes = 0;
        image->OnChange = [&](TPixImage*) { ++changes; };
        image->GetBitmapDC();
        QEvent busy(BitmapUpdateMessage);
        QCoreApplication::sendEvent(image.get(), &busy);
        QCOMPARE(image->LastStatus(), 0);
        QCOMPARE(changes, 0);
        image->ReleaseBitmapDC();
        QEvent idle(BitmapUpdateMessage);
        QCoreApplication::sendEvent(image.get(), &idle);
        QCOMPARE(image->LastStatus(), 1);
        QCOMPARE(changes, 2);
    }

    void bitmapUpdateMessageOnEmptyControlGoesToTheErrorBox() {
        std::vector<std::pair<BoxKind, std::string>> boxes;
        SetBoxRecorder([&](BoxKind kind, const std::string&, const std::string& text) {
            boxes.emplace_back(kind, text);
        });
        auto image = View();
        int changes = 0;
        image->OnChange = [&](TPixImage*) { ++changes; };
        // Nothing may leave through the event delivery; FreeRgn's error is
        // shown instead, whatever EnableMethodErrors says.
        for (const bool methodErrors : {true, false}) {
            image->SetEnableMethodErrors(methodErrors);
            QEvent update(BitmapUpdateMessage);
            try {
                QVERIFY(QCoreApplication::sendEvent(image.get(), &update));
            } catch (...) {
                SetBoxRecorder(nullptr);
                QFAIL("an exception left the event handler");
            }
            QCOMPARE(image->LastStatus(), -2);
        }
        SetBoxRecorder(nullptr);
        const std::pair<BoxKind, std::string> expected{BoxKind::Error,
                                                       "PixImage1 \nFreeRgn: Image not allocated."};
        QCOMPARE(boxes.size(), size_t{2});
        QVERIFY(boxes[0] == expected);
        QVERIFY(boxes[1] == expected);
        // The first change notification ran before FreeRgn failed, the second did not.
        QCOMPARE(changes, 2);
        QVERIFY(image->HasBitmap() == nullptr);
    }

    void getDibLayout() {
        auto image = View();
        image->Load(Photo(489, 367), 0, 0, 1);
        HGLOBAL block = image->GetDIB(0);
        QVERIFY(block);
        const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
        BITMAPINFOHEADER h;
        std::memcpy(&h, bytes, sizeof h);
        QCOMPARE(h.biSize, 40u);
        QCOMPARE(h.biClrUsed, 0u);
        QCOMPARE(h.biBitCount, uint16_t(24));
        QCOMPARE(h.biHeight, 367);
        QCOMPARE(GlobalSize(block), size_t{40 + 1468 * 367});
        // The first stored row is the picture's bottom row (y = 366).
        QCOMPARE(int(bytes[40 + 3 * 10 + 1]), 366 & 0xFF);
        QCOMPARE(int(bytes[40 + 1468 + 3 * 10 + 1]), 365 & 0xFF);
        GlobalUnlock(block);
        QVERIFY(GlobalFree(block) == nullptr);
    }

    void saturationMakesGrey() {
        auto image = View();
        image->Load(Photo(32, 16), 0, 0, 1);
        QCOMPARE(image->Saturation(-1000), 1);
        const PixBitmap* b = image->HasBitmap();
        for (int32_t y = 0; y < b->Height; ++y) {
            const uint8_t* row = PixRow(*b, y);
            for (int32_t x = 0; x < b->Width; ++x) {
                QCOMPARE(row[3 * x], row[3 * x + 1]);
                QCOMPARE(row[3 * x + 1], row[3 * x + 2]);
            }
        }
    }

    void jbig2ValuesReachTheEngineOnlyDuringLoad() {
        auto image = View();
        PixJBIG2Options engineBefore{};
        P_GetJBIG2Options(&engineBefore, sizeof engineBefore);
        image->SetJBIG2ParamC(4096);
        image->SetJBIG2Template1AT1X(uint8_t(-5));
        PixJBIG2Options seenDuringLoad{};
        image->SetEnableProgressEvent(true);
        image->OnStatus = [&](TPixImage*, int32_t) {
            P_GetJBIG2Options(&seenDuringLoad, sizeof seenDuringLoad);
        };
        PixJBIG2Options beforeLoad{};
        P_GetJBIG2Options(&beforeLoad, sizeof beforeLoad);
        QCOMPARE(beforeLoad.ParamC, engineBefore.ParamC);
        QCOMPARE(image->Load(Photo(8, 8), 0, 0, 1), 1);
        QCOMPARE(seenDuringLoad.ParamC, 4096u);
        QCOMPARE(int(seenDuringLoad.Template1AT[0]), -5);
        PixJBIG2Options after{};
        P_GetJBIG2Options(&after, sizeof after);
        QVERIFY(std::memcmp(&after, &engineBefore, sizeof after) == 0);
    }
};

QTEST_MAIN(PixImageTest)
#include "pix_image_test.moc"
