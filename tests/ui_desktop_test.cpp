// The program on a real X display with a window manager (tests/with-x-display.sh): the real Qt
// file dialogs and message boxes, typed into as a user would, and what only a window manager
// shows: the frame the windows are placed by, maximising, the zoom window's title bar hints.
#include <gtest/gtest.h>

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>

#include "export_test_support.h"
#include "ui/FileDialog.h"
#include "ui/Program.h"
#include "ui/ScrollBox.h"
#include "ui/Shell.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/XcbReply.h"

namespace brodix {
namespace {

using testing::BmpBytes;
using testing::TempDir;
using testing::WriteFileBytes;

// Keeps the event loop running until done() holds or fifteen seconds have passed.
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 15000)
            return false;
        QTest::qWait(20);
    }
    return true;
}

std::vector<std::uint32_t> Property(const QWidget& window, const char* name);

// The window with the window manager's frame, as the display has it (Qt may keep the empty
// frame it saw before the window was framed); empty before the window is framed.
QRect Outer(const QWidget& window) {
    const std::vector<std::uint32_t> frame = Property(window, "_NET_FRAME_EXTENTS");
    if (frame.size() != 4)
        return QRect();
    const auto at = [&frame](int i) { return static_cast<int>(frame[i]); };
    return window.geometry().marginsAdded(QMargins(at(0), at(2), at(1), at(3)));
}

// Runs act on the next modal window of kind T once the window manager has framed it, from
// inside the window's own event loop. Without one after fifteen seconds, the test fails.
template <typename T>
void WhenOpen(std::function<void(T&)> act) {
    auto* timer = new QTimer;
    auto* waited = new QElapsedTimer;
    waited->start();
    QObject::connect(timer, &QTimer::timeout, [timer, waited, act] {
        auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        const bool framed = modal && modal->isVisible() && !Outer(*modal).isEmpty();
        if (!framed && waited->elapsed() < 15000)
            return;
        timer->stop();
        timer->deleteLater();
        delete waited;
        if (!framed) {
            ADD_FAILURE() << "no " << T::staticMetaObject.className() << " opened";
            // Closed, so that the test goes on.
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        QTest::qWait(100);  // the placement by the outer size follows the frame
        act(*modal);
    });
    timer->start(20);
}

void Type(QWidget& field, const QString& text) {
    QTest::keyClicks(&field, text);
    QTest::keyClick(&field, Qt::Key_Return);
}

QStringList Entries(const QComboBox& box) {
    QStringList entries;
    for (int i = 0; i < box.count(); ++i)
        entries << box.itemText(i);
    return entries;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The 32-bit values of a window's property, as the window manager reads them.
std::vector<std::uint32_t> Property(const QWidget& window, const char* name) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    const xcb_atom_t atom = Atom(connection, name);
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, static_cast<xcb_window_t>(window.winId()), atom,
                         XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
        nullptr));
    std::vector<std::uint32_t> values;
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        values.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }
    return values;
}

// The size of the window on the display.
QSize DisplayedSize(const QWidget& window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    const XcbReply<xcb_get_geometry_reply_t> reply(xcb_get_geometry_reply(
        connection, xcb_get_geometry(connection, static_cast<xcb_window_t>(window.winId())),
        nullptr));
    return reply ? QSize(reply->width, reply->height) : QSize();
}

class DesktopTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "ui_desktop_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) {
            new QApplication(argc, argv);
            InitializeApplication();
        }
    }

    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs an X display";
        program = std::make_unique<Program>(shell);
        program->ShowMainWindow();
        ASSERT_TRUE(WaitFor([this] { return Framed(Main()); }))
            << "no window manager framed the main window";
    }

    TF_main& Main() { return program->Main(); }
    static bool Framed(const QWidget& w) { return !Outer(w).isEmpty(); }
    bool Centred() {
        const QRect frame = Outer(Main());
        return frame.topLeft() ==
               CentredPosition(Main().screen()->virtualGeometry(), frame.width(), frame.height());
    }

    std::string Picture(const std::string& name, int width, int height) {
        const std::string path = folder / name;
        WriteFileBytes(path, BmpBytes(width, height, 24, [](int x, int y) {
                           return RGB(static_cast<std::uint8_t>(x * 20), 90,
                                      static_cast<std::uint8_t>(y * 20));
                       }));
        return path;
    }

    TempDir folder;
    QtShell shell;
    std::unique_ptr<Program> program;
};

TEST_F(DesktopTest, MainWindowIsCentredByItsOuterSizeAndMaximisesButKeepsItsSize) {
    TF_main& main = Main();
    EXPECT_TRUE(WaitFor([this] { return Centred(); }))
        << Outer(main).left() << ", " << Outer(main).top();
    const QSize normal(792, 576);
    ASSERT_EQ(main.size(), normal);
    const QRect make = main.BTN_MAKE->geometry();
    const QRect chart = main.ScrollBox2->geometry();

    main.showMaximized();
    const QRect area = main.screen()->availableGeometry();
    // Qt may hold on to the frame of the normal window; the display has the true sizes.
    const auto filled = [&] {
        const std::vector<std::uint32_t> frame = Property(main, "_NET_FRAME_EXTENTS");
        return frame.size() == 4 &&
               DisplayedSize(main) == area.size() - QSize(static_cast<int>(frame[0] + frame[1]),
                                                          static_cast<int>(frame[2] + frame[3]));
    };
    ASSERT_TRUE(WaitFor(filled)) << "not maximised: " << DisplayedSize(main).width() << " x "
                                 << DisplayedSize(main).height();
    EXPECT_EQ(main.BTN_MAKE->geometry(), make);
    EXPECT_EQ(main.ScrollBox2->geometry(), chart);

    main.showNormal();
    EXPECT_TRUE(WaitFor([&] { return main.size() == normal; }));

    // A resize the window manager is asked for is held at the normal size, as a drag would be
    // (Qt keeps the size it asked for; the display has the true one).
    main.resize(900, 700);
    QTest::qWait(300);
    EXPECT_EQ(DisplayedSize(main), normal);
}

TEST_F(DesktopTest, RealDialogsAndBoxesAsTheUserTypesIntoThem) {
    const std::string rose = Picture("rose.bmp", 12, 8);
    WriteFileBytes(folder / "notes.xyz", {'n', 'o'});
    TF_main& main = Main();

    // First opening: both filter entries, "bmp" shown; the typed name is loaded and made.
    WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        ASSERT_TRUE(types);
        EXPECT_EQ(Entries(*types), QStringList({"bmp", "ALL"}));
        EXPECT_EQ(types->currentIndex(), 0);
        const QRect frame = Outer(dialog);
        EXPECT_EQ(
            frame.topLeft(),
            DialogPlacement(dialog.screen()->geometry(), frame.width(), frame.height()).topLeft());
        Type(*dialog.findChild<QLineEdit*>("fileNameEdit"), QString::fromStdString(rose));
    });
    main.BitBtn2->click();
    EXPECT_EQ(main.L_x->text(), "12");

    // Second opening starts from the remembered name; through "ALL", a file of no known kind
    // gives the exception message box.
    WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
        EXPECT_EQ(name->text(), "rose.bmp");
        EXPECT_EQ(dialog.directory().absolutePath(), QString::fromStdString(folder.Path()));
        QTest::keyClick(dialog.findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Down);
        WhenOpen<QMessageBox>([](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), "Brodix");
            EXPECT_EQ(box.icon(), QMessageBox::Critical);
            EXPECT_EQ(box.text(), "拡張子 .xyz の画像形式は処理できません.");
            EXPECT_GE(box.width(), TitleBarWidth(box.windowTitle()));
            QTest::keyClick(&box, Qt::Key_Return);
        });
        name->clear();
        Type(*name, "notes.xyz");
    });
    main.BitBtn2->click();
    EXPECT_EQ(main.OpenDialog1.FilterIndex(), 1);
    EXPECT_EQ(main.L_x->text(), "12");
    WhenOpen<QFileDialog>([](QFileDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QComboBox*>("fileTypeCombo")->currentText(), "ALL");
        EXPECT_EQ(dialog.findChild<QLineEdit*>("fileNameEdit")->text(), "notes.xyz");
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    main.BitBtn2->click();
    EXPECT_EQ(main.OpenDialog1.FileName(), folder / "notes.xyz");

    // Save: "rose" comes back with ".bmp"; a name that exists is taken without a question,
    // which would open inside the dialog's own handling of Enter.
    WriteFileBytes(folder / "old.bmp", {'o'});
    int questions = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&questions] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++questions;
            box->reject();
        }
    });
    watch.start(20);
    const std::array<std::pair<std::string, std::string>, 2> saves{
        {{"rose", "rose.bmp"}, {"old.bmp", "old.bmp"}}};
    for (const auto& [typed, chosen] : saves) {
        const QString path = QString::fromStdString(folder / typed);
        WhenOpen<QFileDialog>([path](QFileDialog& dialog) {
            EXPECT_EQ(Entries(*dialog.findChild<QComboBox*>("fileTypeCombo")),
                      QStringList({"bmp", "ALL"}));
            auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
            name->clear();
            Type(*name, path);
        });
        main.BTN_SAVE->click();
        EXPECT_EQ(main.SaveDialog1.FileName(), folder / chosen);
    }
    QTest::qWait(100);
    EXPECT_EQ(questions, 0);
    EXPECT_TRUE(std::filesystem::exists(folder / "rose_CS.bmp"));
    EXPECT_TRUE(std::filesystem::exists(folder / "old_CS.bmp"));
}

TEST_F(DesktopTest, ProgramBoxesAreWideEnoughForTheirTitle) {
    const std::string wide = Picture("wide.bmp", 300, 100);
    WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        WhenOpen<QMessageBox>([](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), "BITMAP size error");
            EXPECT_GE(box.width(), TitleBarWidth(box.windowTitle()));
            QTest::keyClick(&box, Qt::Key_Return);
        });
        Type(*dialog.findChild<QLineEdit*>("fileNameEdit"), QString::fromStdString(wide));
    });
    Main().BitBtn2->click();
}

TEST_F(DesktopTest, ZoomWindowAsksForACaptionAloneAndToBeMovedOnly) {
    TF_Zoom& zoom = program->Zoom();
    const std::vector<std::uint32_t> hints = Property(zoom, "_MOTIF_WM_HINTS");
    ASSERT_EQ(hints.size(), 5u);
    EXPECT_EQ(hints[0], 3u) << "functions and decorations";
    EXPECT_EQ(hints[1], 4u) << "move only";
    EXPECT_EQ(hints[2], 2u | 8u) << "border and title";

    // Still so once shown and framed.
    const std::string rose = Picture("rose.bmp", 12, 8);
    WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
        Type(*dialog.findChild<QLineEdit*>("fileNameEdit"), QString::fromStdString(rose));
    });
    Main().BitBtn2->click();
    Main().BitBtn1->click();
    ASSERT_TRUE(WaitFor([&] { return Framed(zoom); }));
    EXPECT_EQ(Property(zoom, "_MOTIF_WM_HINTS"), hints);
    zoom.BitBtn1->click();
}

}  // namespace
}  // namespace brodix
