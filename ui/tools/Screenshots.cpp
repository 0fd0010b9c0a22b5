// Takes the screenshots of the README and of the window checks: runs the real windows with the
// real dialogs and boxes, except that the open dialog answers from the command line, and
// photographs the screen with ImageMagick's import at each step. On a display of several
// monitors (the offscreen one configured so), it draws the zoom window following the main
// window from one monitor to the other instead.
//
//     brodix_screens OUTDIR
//
// Meant to run under a virtual X server with a window manager (scripts/ui-screenshots.sh).
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "ui/ImageMenu.h"
#include "ui/ImageView.h"
#include "ui/PatternMenu.h"
#include "ui/Program.h"
#include "ui/RadioGroup.h"
#include "ui/ScrollBox.h"
#include "ui/Shell.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"

namespace {

using namespace brodix;

// The desktop's own boxes, with an open dialog that picks the next prepared file.
class DemoShell final : public Shell {
  public:
    QStringList files;
    std::optional<FileChoice> RunFileDialog(const FileDialogRequest& request,
                                            QWidget* owner) override {
        if (request.kind == FileDialogKind::Save)
            return m_real.RunFileDialog(request, owner);
        if (files.isEmpty())
            return std::nullopt;
        return FileChoice{files.takeFirst().toStdString(), 1};
    }
    void ShowProgramMessage(const std::string& text, const std::string& title,
                            QWidget* owner) override {
        m_real.ShowProgramMessage(text, title, owner);
    }
    void ShowExceptionMessage(const std::string& text, QWidget* owner) override {
        m_real.ShowExceptionMessage(text, owner);
    }
    std::string ProgramFileName() override { return m_real.ProgramFileName(); }

  private:
    QtShell m_real;
};

void Settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void Shoot(const QString& file) {
    Settle(600);
    QProcess::execute("import", {"-window", "root", file});
    std::printf("wrote %s\n", qPrintable(file));
}

// A little motif of solid colours: a flower on a white ground, 120 x 80 stitches.
QString DrawPicture(const QString& file) {
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 140, 60));
    p.drawRect(58, 40, 4, 36);
    p.drawEllipse(QPoint(48, 58), 10, 5);
    p.drawEllipse(QPoint(72, 64), 10, 5);
    const QColor petals[] = {QColor(220, 40, 70), QColor(240, 110, 130), QColor(180, 20, 50)};
    for (int ring = 0; ring < 3; ++ring) {
        p.setBrush(petals[ring]);
        p.drawEllipse(QPoint(60, 30), 26 - ring * 7, 22 - ring * 6);
    }
    p.setBrush(QColor(250, 210, 40));
    p.drawEllipse(QPoint(60, 30), 4, 4);
    p.setBrush(QColor(90, 60, 30));
    p.drawRect(0, 76, 120, 4);
    p.end();
    picture.save(file, "BMP");
    return file;
}

// The desktop as the program sees it on a display of several monitors: each monitor outlined
// and named, each visible window drawn where it lies (without the frame, which no window
// manager draws on a display without one).
void photographMonitors(const QString& file) {
    Settle(300);
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    QImage picture(desktop.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter p(&picture);
    p.translate(-desktop.topLeft());
    for (QScreen* screen : QGuiApplication::screens()) {
        p.fillRect(screen->geometry().adjusted(2, 2, -2, -2), QColor(40, 70, 110));
        p.setPen(Qt::white);
        p.drawText(screen->geometry().adjusted(8, 0, 0, -8), Qt::AlignLeft | Qt::AlignBottom,
                   screen->name());
    }
    // Windows that stay on top are drawn last.
    for (const bool onTop : {false, true}) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() &&
                window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
                p.drawPixmap(window->geometry().topLeft(), window->grab());
        }
    }
    p.end();
    picture.save(file);
    std::printf("wrote %s\n", qPrintable(file));
}

// Shows the zoom window, hides it, moves the main window onto the other monitor and shows the
// zoom window again: it follows the main window's monitor.
void photographFollowing(const QString& out, Program& program) {
    TF_main& main = program.Main();
    main.BitBtn2->click();
    program.Zoom().move(450, 300);
    main.BitBtn1->click();
    photographMonitors(out + "/monitors-before.png");
    program.Zoom().BitBtn1->click();
    main.move(QGuiApplication::screens().back()->geometry().topLeft() + QPoint(20, 20));
    main.BitBtn1->click();
    photographMonitors(out + "/monitors-after.png");
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    InitializeApplication();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);
    if (QGuiApplication::screens().size() > 1) {
        DemoShell shell;
        shell.files << DrawPicture(out + "/flower.bmp");
        Program program(shell);
        program.ShowMainWindow();
        photographFollowing(out, program);
        return 0;
    }

    DemoShell shell;
    QImage wide(300, 100, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    wide.save(out + "/wide.bmp", "BMP");
    shell.files << DrawPicture(out + "/flower.bmp") << out + "/notes.xyz" << out + "/wide.bmp";
    Program program(shell);
    program.ShowMainWindow();
    Settle(500);

    TF_main& main = program.Main();
    main.BitBtn2->click();
    Shoot(out + "/main.png");

    // Maximised, the controls keep their places; restored, the window is centred again.
    main.showMaximized();
    Shoot(out + "/main-maximised.png");
    main.showNormal();
    Settle(300);

    main.BitBtn1->click();
    Shoot(out + "/zoom-x4.png");
    program.Zoom().RG_x->setItemIndex(7);
    Shoot(out + "/zoom-x8.png");
    program.Zoom().BitBtn1->click();

    // The real save dialog, photographed open and then cancelled.
    QTimer::singleShot(0, [&] {
        Shoot(out + "/save-dialog.png");
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    main.BTN_SAVE->click();

    // The context menu of the legend, with its Threads submenu open, then a legend row's
    // tooltip once DMC is chosen.
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* threads : menu->actions()) {
                if (threads->text() != QStringLiteral("Threads") || threads->menu() == nullptr)
                    continue;
                menu->setActiveAction(threads);
                Settle(300);
                threads->menu()->popup(menu->mapToGlobal(menu->actionGeometry(threads).topRight()));
            }
        }
        Shoot(out + "/menu.png");
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    {
        QMenu menu(&main);
        FillImageMenu(menu, main);
        menu.exec(main.ScrollBox1->mapToGlobal(QPoint(40, 40)));
    }
    main.Patterns().ChooseCatalogue("/usr/share/kxstitch/schemes/dmc.xml");
    if (ImageView* legend = main.ViewOf(main.Img_color)) {
        // The tooltip stays only while the pointer is over the row.
        QCursor::setPos(legend->mapToGlobal(QPoint(20, 37)));
        Settle(200);
        QHelpEvent help(QEvent::ToolTip, QPoint(20, 37), legend->mapToGlobal(QPoint(20, 37)));
        QApplication::sendEvent(legend, &help);
        Shoot(out + "/tooltip.png");
    }

    // The exception box of a file of unknown kind, photographed while it is open.
    QTimer::singleShot(0, [&] {
        Shoot(out + "/exception.png");
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    main.BitBtn2->click();

    // The program's own box for a picture too large, with its whole title.
    QTimer::singleShot(0, [&] {
        Shoot(out + "/size-error.png");
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    main.BitBtn2->click();
    Settle(200);
    return 0;
}
