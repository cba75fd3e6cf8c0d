// SPDX-License-Identifier: GPL-3.0-or-later
// Skinning with Qt: the component's states and messages, which windows and
// controls the manager skins, the frameless frame and its close button, the
// control painters' pixels, and the image view left as it is.
#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>
#include <cerrno>

#include "imaging/control/pix_image.h"
#include "platform/qt/message_box.h"
#include "skin/qt/skin_data.h"
#include "skin/qt/skin_form_painter.h"
#include "skin/qt/skin_location.h"
#include "skin/qt/skin_manager.h"
#include "skin/qt/skin_paint.h"
#include "skin/qt/skin_tag.h"
#include "skin/skin_container.h"
#include "skin/skin_load.h"
#include "tests/imaging/engine/codecs/image_fixtures.h"

namespace {

using fixtures::Bgr;
using fixtures::Bytes;

// The push button strip of the fixture skin: 5 frames of 10 x 10, each one
// plain colour, so a pixel tells which frame was drawn.
const Bgr kButtonFrames[5] = {{0, 0, 200}, {0, 200, 0}, {200, 0, 0}, {90, 90, 90}, {0, 200, 200}};
// The same strip in other colours, for a second skin file.
const Bgr kOtherFrames[5] = {{10, 10, 10}, {20, 20, 20}, {30, 30, 30}, {40, 40, 40}, {50, 50, 50}};

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes Strip(int frames, int w, int h, const std::function<Bgr(int frame, int x, int y)>& colour) {
    return fixtures::Bmp24(frames * w, h, [=](int x, int y) { return colour(x / w, x % w, y); });
}

Bytes Plain(int frames, int w, int h, Bgr c) {
    return Strip(frames, w, h, [c](int, int, int) { return c; });
}

const char* const kIni =
    "[Personality]\n"
    "Top=top.bmp\nTopFrame=2\nTopTopHeight=2\nTopBotHeight=2\n"
    "Left=left.bmp\nLeftFrame=2\nRight=right.bmp\nRightFrame=2\n"
    "Bottom=bottom.bmp\nBottomFrame=2\n"
    "ActiveTextR=250\nActiveTextG=250\nActiveTextB=250\n"
    "[Colours]\nButtonFace=40,44,50\nWindowText=230,230,230\nButtonText=240,240,240\n"
    "[Buttons]\nBitmap=button.bmp\nLeftWidth=2\nRightWidth=2\nTopHeight=2\nBottomHeight=2\n"
    "[BUTTON.CLOSE]\nButtonImage=close.bmp\nAction=0\nAlign=1\nXcoord=20\nYcoord=2\nframe=3\n";

// A skin file of container `version` with the fixture bitmaps and the
// fixture description (or `ini`).
Bytes SkinFile(uint32_t version, const Bgr (&frames)[5] = kButtonFrames,
               const std::string& ini = kIni) {
    std::vector<skin::PackEntry> entries = {
        {"skin.ini", Text(ini)},
        {"top.bmp", Plain(2, 8, 20, {60, 50, 40})},
        {"left.bmp", Plain(2, 3, 8, {60, 50, 40})},
        {"right.bmp", Plain(2, 3, 8, {60, 50, 40})},
        {"bottom.bmp", Plain(2, 8, 3, {60, 50, 40})},
        {"button.bmp", Strip(5, 10, 10, [&frames](int f, int, int) { return frames[f]; })},
        {"close.bmp", Plain(3, 16, 14, {40, 40, 190})},
    };
    Bytes container = skin::BuildContainer(entries);
    for (int i = 0; i < 4; ++i) container[size_t(i)] = uint8_t(version >> (8 * i));
    return skin::PackSkinFile(container);
}

struct Box {
    BoxKind kind;
    std::string text;
};

// A main window of the usual make: a client with a push button, a check box,
// a push button marked with the Tag 99 and an image view.
struct Form {
    explicit Form(const std::string& skinFile, bool on = true) {
        window.setWindowTitle("Skinned");
        auto* client = new QWidget;
        client->setFixedSize(300, 200);
        button = new QPushButton("brightness", client);
        button->setGeometry(10, 10, 57, 25);
        // A focused button shows the default frame; this one keeps its own.
        button->setFocusPolicy(Qt::NoFocus);
        check = new QCheckBox("color pencil", client);
        check->setGeometry(10, 50, 97, 17);
        marked = new QPushButton("Sharpen", client);
        marked->setGeometry(80, 10, 57, 25);
        SetWidgetTag(marked, 99);
        image = new TPixImage(client);
        image->setGeometry(150, 50, 120, 100);
        window.setCentralWidget(client);
        window.layout()->setSizeConstraint(QLayout::SetFixedSize);
        skin = new TSkinData(&window);
        skin->SetOptions(kAllSkinOptions);
        skin->SetSkinFile(skinFile);
        if (on) skin->SetActive(true);
    }
    QMainWindow window;
    QPushButton* button;
    QCheckBox* check;
    QPushButton* marked;
    TPixImage* image;
    TSkinData* skin;
};

TSkinManager& Manager() {
    return *TSkinManager::Instance();
}

bool Touch(const std::string& path) {
    return QFile(QString::fromStdString(path)).open(QIODevice::WriteOnly);
}

}  // namespace

class SkinQtTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::vector<Box> boxes_;
    std::string skin_;

    std::string Write(const QString& name, const Bytes& bytes) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) return {};
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return path.toStdString();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        skin_ = Write("fixture.skn", SkinFile(60000));
    }
    void init() {
        boxes_.clear();
        SetBoxRecorder([this](BoxKind k, const std::string&, const std::string& t) {
            boxes_.push_back({k, t});
        });
    }
    void cleanup() {
        SetBoxRecorder(nullptr);
        TSkinData::SetFileCalls(skin::SystemFileCalls());
    }

    void missingFileKeepsTheStandardLookSilently() {
        Form form(dir_.filePath("none.skn").toStdString());
        form.window.show();
        QVERIFY(form.skin->Active());
        QVERIFY(form.skin->Empty());
        QVERIFY(boxes_.empty());
        QVERIFY(!Manager().IsSkinned(&form.window));
        QVERIFY(!(form.window.windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(form.button->style(), QApplication::style());
        QCOMPARE(form.window.contentsMargins(), QMargins());
    }

    void olderContainerShowsItsMessageOnce() {
        Form form(Write("older.skn", SkinFile(10000)));
        form.window.show();
        QCOMPARE(boxes_.size(), size_t(1));
        QCOMPARE(boxes_[0].kind, BoxKind::UserMessage);
        QCOMPARE(boxes_[0].text,
                 std::string("This is Older Skin File\rPlease update to new version !"));
        QVERIFY(form.skin->Active());
        QVERIFY(form.skin->Empty());
        QVERIFY(!Manager().IsSkinned(&form.window));
        QCOMPARE(form.button->style(), QApplication::style());
    }

    void unreadableFileRaisesCannotOpen() {
        const std::string path = Write("locked.skn", SkinFile(60000));
        TSkinData::SetFileCalls({[](const char*, int) {
                                     errno = EACCES;
                                     return -1;
                                 },
                                 skin::SystemFileCalls().read});
        TSkinData data;
        try {
            data.SetSkinFile(path);
            QFAIL("no error raised");
        } catch (const ESkinFileError& e) {
            QCOMPARE(std::string(e.what()), "Cannot open file \"" + path + "\". Permission denied");
        }
        QVERIFY(data.Empty());
        QCOMPARE(data.SkinFile(), path);
        QVERIFY(boxes_.empty());
    }

    void skinnedWindowIsFramelessAndItsCloseButtonClosesIt() {
        Form form(skin_);
        QVERIFY(!form.skin->Empty());
        form.window.show();
        QVERIFY(Manager().IsSkinned(&form.window));
        QVERIFY(form.window.windowFlags() & Qt::FramelessWindowHint);
        // Borders of 3 pixels, a title strip of 20: the client keeps its size.
        QCOMPARE(form.window.contentsMargins(), QMargins(3, 20, 3, 3));
        QCOMPARE(form.window.centralWidget()->size(), QSize(300, 200));
        auto* close = form.window.findChild<QAbstractButton*>("skinClose");
        QVERIFY(close);
        QCOMPARE(close->geometry(), QRect(form.window.width() - 20, 2, 16, 14));
        close->click();
        QVERIFY(!form.window.isVisible());
    }

    void skinWithoutAReachableCloseButtonKeepsTheStandardLook() {
        const std::string frame =
            std::string(kIni).substr(0, std::string(kIni).find("[BUTTON.CLOSE]"));
        const std::string close = "[BUTTON.CLOSE]\nButtonImage=close.bmp\nAction=0\nframe=3\n";
        // The close strip's frames are 16 x 14 in a title bar of 20.
        const struct {
            const char* what;
            std::string ini;
            bool loads;
        } cases[] = {
            {"no close button", frame, false},
            {"only a maximize button", frame + "[BUTTON.MAX]\nButtonImage=close.bmp\nAction=1\n",
             false},
            {"below the title bar", frame + close + "Align=1\nXcoord=20\nYcoord=2147483647\n",
             false},
            {"lower than the bar", frame + close + "Align=1\nXcoord=20\nYcoord=7\n", false},
            {"right of the window", frame + close + "Align=1\nXcoord=-2147483648\n", false},
            {"far from the left edge", frame + close + "Align=0\nXcoord=2147483647\n", false},
            {"at the left edge", frame + close + "Align=0\nXcoord=0\nYcoord=6\n", true},
            {"at the right edge", frame + close + "Align=1\nXcoord=16\n", true},
            // Without a title strip the system's frame and its buttons stay.
            {"no frame of its own", "[Buttons]\nBitmap=button.bmp\n", true},
        };
        for (const auto& c : cases) {
            Form form(Write("close.skn", SkinFile(60000, kButtonFrames, c.ini)));
            form.window.show();
            QVERIFY2(form.skin->Empty() != c.loads, c.what);
            QVERIFY2(Manager().IsSkinned(&form.window) == c.loads, c.what);
            QVERIFY2(boxes_.empty(), c.what);
        }
    }

    void objectsOfOneBitmapShareOneImage() {
        std::string ini = kIni;
        for (int i = 0; i < 50; ++i)
            ini += "[BUTTON" + std::to_string(i) + "]\nButtonImage=close.bmp\nAction=-1\n";
        const skin::LoadResult r = skin::LoadSkin(SkinFile(60000, kButtonFrames, ini));
        QCOMPARE(r.status, skin::LoadStatus::kLoaded);
        const SkinLook look = SkinLookFromSkin(r.skin);
        QCOMPARE(look.titleButtons.size(), size_t{51});
        for (const SkinTitleButton& b : look.titleButtons)
            QCOMPARE(b.piece.image.constBits(), look.titleButtons[0].piece.image.constBits());
    }

    void tiledMiddleRepeatsFromTheTargetsCorner() {
        // A 4 x 4 frame: a border of 1 and a middle of 2 x 2 in four colours.
        QImage strip(4, 4, QImage::Format_ARGB32_Premultiplied);
        strip.fill(Qt::black);
        const QRgb middle[2][2] = {{qRgb(200, 0, 0), qRgb(0, 200, 0)},
                                   {qRgb(0, 0, 200), qRgb(200, 200, 0)}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) strip.setPixel(1 + x, 1 + y, middle[y][x]);
        SkinPiece piece;
        piece.image = strip;
        piece.margins = QMargins(1, 1, 1, 1);
        piece.tile = true;
        QImage target(40, 40, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::white);
        {
            QPainter painter(&target);
            DrawPiece(painter, piece, 0, QRect(5, 7, 13, 10));
        }
        for (int y = 8; y < 16; ++y)
            for (int x = 6; x < 17; ++x)
                QCOMPARE(target.pixel(x, y), middle[(y - 8) % 2][(x - 6) % 2]);
        // The edges tile along their length; corners and outside stay.
        QCOMPARE(target.pixel(5, 7), qRgb(0, 0, 0));
        QCOMPARE(target.pixel(17, 16), qRgb(0, 0, 0));
        QCOMPARE(target.pixel(9, 7), qRgb(0, 0, 0));
        QCOMPARE(target.pixel(4, 7), qRgb(255, 255, 255));
        QCOMPARE(target.pixel(18, 17), qRgb(255, 255, 255));
    }

    void formWithTag99IsNotSkinned() {
        Form form(skin_);
        SetWidgetTag(&form.window, 99);
        form.skin->SetDisableTag(5);  // the form test uses 99 itself
        form.window.show();
        QVERIFY(!Manager().IsSkinned(&form.window));
        QVERIFY(!(form.window.windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(form.button->style(), QApplication::style());
    }

    void controlWithDisableTagKeepsItsStandardLook() {
        Form plain(dir_.filePath("none.skn").toStdString());
        plain.window.show();
        // Inside its rounded corners, where the window's own background
        // does not show through.
        const QRect inside = plain.marked->rect().adjusted(3, 3, -3, -3);
        const QImage before = plain.marked->grab().toImage().copy(inside);
        Form form(skin_);
        form.window.show();
        QVERIFY(Manager().IsSkinned(&form.window));
        QVERIFY(form.button->style() != QApplication::style());
        QCOMPARE(form.marked->style(), QApplication::style());
        QCOMPARE(form.marked->palette().color(QPalette::Button),
                 plain.marked->palette().color(QPalette::Button));
        QCOMPARE(form.marked->grab().toImage().copy(inside), before);
    }

    void pushButtonFramesComeFromTheirPlaceInTheStrip() {
        Form form(skin_);
        form.window.show();
        // A pixel of the button's left edge, half way down.
        auto framePixel = [&] {
            return QColor(form.button->grab().toImage().pixel(1, form.button->height() / 2));
        };
        auto colour = [](int frame) {
            return QColor(kButtonFrames[frame].r, kButtonFrames[frame].g, kButtonFrames[frame].b);
        };
        QCOMPARE(framePixel(), colour(0));
        form.button->setDown(true);
        QCOMPARE(framePixel(), colour(2));
        form.button->setDown(false);
        form.button->setEnabled(false);
        QCOMPARE(framePixel(), colour(3));
        form.button->setEnabled(true);
        form.button->setDefault(true);
        QCOMPARE(framePixel(), colour(4));
    }

    void newSkinFileRedrawsSkinnedWindowsLater() {
        Form form(skin_);
        form.window.show();
        QVERIFY(Manager().IsSkinned(&form.window));
        auto edge = [&] {
            return QColor(form.button->grab().toImage().pixel(1, form.button->height() / 2));
        };
        const QColor first(kButtonFrames[0].r, kButtonFrames[0].g, kButtonFrames[0].b);
        const QColor second(kOtherFrames[0].r, kOtherFrames[0].g, kOtherFrames[0].b);
        QCOMPARE(edge(), first);
        form.skin->SetSkinFile(Write("other.skn", SkinFile(60000, kOtherFrames)));
        QCOMPARE(edge(), first);
        QTRY_COMPARE_WITH_TIMEOUT(edge(), second, 2000);
        // A missing file leaves the window as it is.
        form.skin->SetSkinFile(dir_.filePath("none.skn").toStdString());
        // Whatever change it deferred has run once none is pending.
        QTRY_VERIFY_WITH_TIMEOUT(!Manager().ChangePending(), 2000);
        QCOMPARE(edge(), second);
        QVERIFY(Manager().IsSkinned(&form.window));
    }

    void imageViewPictureIsUnchanged() {
        const std::string photo =
            Write("photo.bmp", fixtures::Bmp24(40, 30, [](int x, int y) {
                      return Bgr{uint8_t(x * 6), uint8_t(y * 8), uint8_t(255 - x * 3)};
                  }));
        Form plain(dir_.filePath("none.skn").toStdString());
        plain.image->Load(photo, 0, 0, 1);
        plain.image->SetPaintSizeMode(smFit);
        plain.window.show();
        const QImage before = plain.image->grab().toImage();
        Form form(skin_);
        form.image->Load(photo, 0, 0, 1);
        form.image->SetPaintSizeMode(smFit);
        form.window.show();
        QVERIFY(Manager().IsSkinned(&form.window));
        QCOMPARE(form.image->grab().toImage(), before);
    }

    void messageBoxIsSkinnedAndSwitchingOffUndoesItLater() {
        Form form(skin_);
        form.window.show();
        QMessageBox box(QMessageBox::NoIcon, "Strakel", "Imge empty", QMessageBox::Ok);
        box.show();
        QVERIFY(Manager().IsSkinned(&box));
        QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(box.findChild<QAbstractButton*>("skinClose"));
        form.skin->SetActive(false);
        // Removed by the timer, not at once.
        QVERIFY(Manager().IsSkinned(&box));
        QVERIFY(Manager().ChangePending());
        QTRY_VERIFY_WITH_TIMEOUT(!Manager().IsSkinned(&box), 2000);
        QVERIFY(!Manager().IsSkinned(&form.window));
        QVERIFY(!(box.windowFlags() & Qt::FramelessWindowHint));
        QVERIFY(!(form.window.windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(form.window.contentsMargins(), QMargins());
        QCOMPARE(form.button->style(), QApplication::style());
        QVERIFY(!form.window.findChild<QWidget*>("skinFrame"));
        box.close();
    }

    void switchingOnLaterSkinsShownWindowsAfterTheTimer() {
        // Skinning has been started once, and its component is gone.
        { Form starter(skin_); }
        QVERIFY(!Manager().SkinningOn());
        Form form(skin_, false);
        form.window.show();
        // Already active: only the timer's round of every form skins it.
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        QVERIFY(!Manager().IsSkinned(&form.window));
        form.skin->SetActive(true);
        QVERIFY(!Manager().IsSkinned(&form.window));
        QTRY_VERIFY_WITH_TIMEOUT(Manager().IsSkinned(&form.window), 2000);
        QVERIFY(form.window.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(form.window.findChild<QAbstractButton*>("skinClose"));
    }

    // A skin beside the program wins, then the first data folder holding one.
    void skinFileIsFoundBesideTheProgramThenInTheDataFolders() {
        QTemporaryDir tree, configured;
        QVERIFY(QDir(tree.path()).mkpath("bin") && QDir(tree.path()).mkpath("share/strakel"));
        const std::string bin = tree.filePath("bin").toStdString();
        const std::string beside = bin + "/Xplorer_mod.skn";
        const std::string relative = bin + "/../share/strakel/Xplorer_mod.skn";
        const std::string fixed = configured.filePath("Xplorer_mod.skn").toStdString();
        const std::vector<std::string> folders{bin + "/../share/strakel",
                                               configured.path().toStdString()};
        QCOMPARE(SkinFileLocation(bin, folders), beside);  // none: beside, silently
        QVERIFY(Touch(fixed));
        QCOMPARE(SkinFileLocation(bin, folders), fixed);
        QVERIFY(Touch(relative));
        QCOMPARE(SkinFileLocation(bin, folders), relative);
        QVERIFY(QDir(tree.path()).mkpath("bin/Xplorer_mod.skn"));  // not a file, still reported
        QCOMPARE(SkinFileLocation(bin, folders), beside);
    }

    // An installed tree finds the skin in its own data folder, wherever it
    // is; STRAKEL_SKIN_DIRS, which every test runs with, replaces the
    // installation's folders.
    void installedTreeFindsItsSkinUnlessTheFoldersAreGiven() {
        QVERIFY(qEnvironmentVariableIsSet(kSkinFoldersVariable));
        const QByteArray given = qgetenv(kSkinFoldersVariable);
        QTemporaryDir tree, other;
        QVERIFY(QDir(tree.path()).mkpath("bin") && QDir(tree.path()).mkpath("share/strakel"));
        const std::string bin = tree.filePath("bin").toStdString();
        const std::string skin = bin + "/../share/strakel/Xplorer_mod.skn";
        QVERIFY(Touch(skin));

        qunsetenv(kSkinFoldersVariable);
        const std::vector<std::string> folders = SkinDataFolders(bin);
        const std::string found = FindSkinFile(bin);
        qputenv(kSkinFoldersVariable,
                other.path().toLocal8Bit() + "::" + tree.path().toLocal8Bit());
        const std::vector<std::string> listed = SkinDataFolders(bin);
        const std::string foundListed = FindSkinFile(bin);
        qputenv(kSkinFoldersVariable, "");
        const std::vector<std::string> none = SkinDataFolders(bin);
        qputenv(kSkinFoldersVariable, given);

        QCOMPARE(folders.size(), size_t{2});
        QCOMPARE(folders[0], bin + "/../share/strakel");
        QVERIFY(folders[1].starts_with("/") && folders[1].ends_with("/share/strakel"));
        QCOMPARE(found, skin);
        QCOMPARE(listed,
                 (std::vector<std::string>{other.path().toStdString(), tree.path().toStdString()}));
        QCOMPARE(foundListed, bin + "/Xplorer_mod.skn");  // neither listed folder holds it
        QVERIFY(none.empty());
    }
};

QTEST_MAIN(SkinQtTest)
#include "skin_qt_test.moc"
