// Takes the screenshots of the README and of the window checks: runs the real windows with the
// real dialogs and boxes, except that the open dialog answers from the command line, and
// photographs the screen with ImageMagick's import at each step. On a display of several
// monitors (the offscreen one configured so), it draws the zoom window following the main
// window from one monitor to the other instead.
//
//     brodix_screens OUTDIR [EXAMPLES_DIR]
//
// Meant to run under a virtual X server with a window manager (scripts/ui-screenshots.sh).
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <map>

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

// The desktop's own boxes, with an open dialog that picks the next prepared file (an empty
// one: the real dialog), and settings kept in memory, as after a run without threads.
class DemoShell final : public Shell {
  public:
    QStringList files;
    std::map<std::string, std::string> settings{{"pattern/threads", ""}};
    std::optional<FileChoice> RunFileDialog(const FileDialogRequest& request,
                                            QWidget* owner) override {
        if (request.kind == FileDialogKind::Save || (!files.isEmpty() && files.front().isEmpty())) {
            if (!files.isEmpty() && files.front().isEmpty())
                files.removeFirst();
            return m_real.RunFileDialog(request, owner);
        }
        if (files.isEmpty())
            return std::nullopt;
        return FileChoice{files.takeFirst().toStdString(), 1};
    }
    std::optional<std::string> StoredSetting(const std::string& key) override {
        const auto found = settings.find(key);
        return found == settings.end() ? std::nullopt : std::optional(found->second);
    }
    void StoreSetting(const std::string& key, const std::string& value) override {
        settings[key] = value;
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

// The window alone, with its frame.
void ShootWindow(const QString& file, const QWidget& window) {
    Settle(600);
    const QRect frame = window.frameGeometry();
    QProcess::execute("import", {"-window", "root", "-crop",
                                 QStringLiteral("%1x%2+%3+%4")
                                     .arg(frame.width())
                                     .arg(frame.height())
                                     .arg(frame.x())
                                     .arg(frame.y()),
                                 "+repage", file});
    std::printf("wrote %s\n", qPrintable(file));
}

// Opens the image menu over widget and photographs it as it stands.
void ShootMenu(const QString& file, TF_main& main, QWidget& widget) {
    QTimer::singleShot(0, [file] {
        Shoot(file);
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    QMenu menu(&main);
    FillImageMenu(menu, main);
    menu.exec(widget.mapToGlobal(QPoint(40, 40)));
}

// Photographs the modal dialog that click opens, then closes it (accepted: its choice stands).
void ShootDialog(const QString& file, const std::function<void()>& click, bool accept) {
    QTimer::singleShot(0, [file, accept] {
        Shoot(file);
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            accept ? dialog->accept() : dialog->reject();
    });
    click();
}

// The tooltip over widget at where, as the pointer resting there shows it.
void ShootTooltip(const QString& file, QWidget& widget, const QPoint& where) {
    QCursor::setPos(widget.mapToGlobal(where));
    Settle(200);
    QHelpEvent help(QEvent::ToolTip, where, widget.mapToGlobal(where));
    QApplication::sendEvent(&widget, &help);
    Shoot(file);
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

// The first steps: the hints before any picture, the flower's chart, the PDF saved.
void PhotographFirstSteps(const QString& out, DemoShell& shell, TF_main& main) {
    // Before any picture: the hint over the chart, the menu with its save entry greyed.
    ShootTooltip(out + "/hint.png", *main.ScrollBox2->viewport(), QPoint(200, 200));
    ShootMenu(out + "/menu-no-picture.png", main, *main.ScrollBox2);
    main.BitBtn2->click();
    Shoot(out + "/main.png");
    // The README's picture shows the flower's symbols, not the sky above it.
    main.ScrollBox2->horizontalScrollBar()->setValue(500);
    main.ScrollBox2->verticalScrollBar()->setValue(150);
    ShootWindow(out + "/screenshot.png", main);
    main.ScrollBox2->horizontalScrollBar()->setValue(0);
    main.ScrollBox2->verticalScrollBar()->setValue(0);
    ShootTooltip(out + "/legend-hint.png", *main.ViewOf(main.Img_color), QPoint(20, 37));
    ShootDialog(
        out + "/save-pdf-dialog.png", [&] { main.SavePdfClick(nullptr); }, true);
    Shoot(out + "/pdf-written.png");
    shell.files.prepend(QString());
    ShootDialog(
        out + "/open-any-dialog.png",
        [&] { main.RunHandler(&TF_main::OpenAnyPictureClick, nullptr); }, false);
}

// The window maximised and restored, and the zoom window.
void PhotographWindows(const QString& out, Program& program, TF_main& main) {
    // Maximised, the controls keep their places; restored, the window is centred again.
    main.showMaximized();
    Shoot(out + "/main-maximised.png");
    main.showNormal();
    Settle(300);

    main.BitBtn1->click();
    Shoot(out + "/zoom-x4.png");
    program.Zoom().RG_x->setItemIndex(7);
    Shoot(out + "/zoom-x8.png");
    // "As Stitched" of the picture's menu, at x8 and at x2 (each stitch its colour from afar).
    program.Zoom().SetAsStitched(true);
    Shoot(out + "/zoom-x8-stitched.png");
    program.Zoom().RG_x->setItemIndex(1);
    Shoot(out + "/zoom-x2-stitched.png");
    program.Zoom().SetAsStitched(false);
    program.Zoom().RG_x->setItemIndex(7);
    program.Zoom().BitBtn1->click();
}

// The real save dialog, the pattern menu with its Threads submenu, and a legend row's tooltip.
void PhotographMenus(const QString& out, TF_main& main) {
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
}

// The message boxes and the stitch-size dialog.
void PhotographBoxes(const QString& out, TF_main& main) {
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

    // The stitch-size dialog of a 3000 x 2000 photo, photographed while it is open.
    QTimer::singleShot(0, [&] {
        Shoot(out + "/stitch-size.png");
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    QtShell real;
    real.RunStitchSizeDialog({{120, 80},
                              StitchSize{3000, 2000},
                              14,
                              "Colours: as in the picture; a photograph of more than 255 gets up "
                              "to 30, stray stitches cleaned, snapped to threads when a catalogue "
                              "is found.",
                              "4 / 4 / 4",
                              false},
                             &main);
}

// The note under the status bar: a photo charted with the photo defaults, the choices line once
// Dither is chosen, a long note with its tooltip; then the stitch-size dialog refusing a side
// typed out of range.
void PhotographNote(const QString& out, DemoShell& shell, TF_main& main) {
    QImage shades(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < shades.height(); ++y)
        for (int x = 0; x < shades.width(); ++x)
            shades.setPixel(x, y, qRgb(x * 255 / 300, y * 255 / 200, (x + y) % 256));
    shades.save(out + "/shades.png", "PNG");
    shell.files << out + "/shades.png";
    main.RunHandler(&TF_main::OpenAnyPictureClick, nullptr);
    Shoot(out + "/note-photo.png");
    main.Patterns().SetDither(true);
    Shoot(out + "/note-choices.png");
    main.ShowWritten(out.toStdString() + "/" + std::string(120, 'n') +
                     "/a_long_name_of_a_pattern.pdf");
    ShootTooltip(out + "/note-tooltip.png", *main.L_note, QPoint(100, 60));

    QTimer::singleShot(0, [out] {
        Settle(300);
        for (const char key : {'5', '0', '0'}) {
            QWidget* box = QApplication::focusWidget();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + (key - '0'), Qt::NoModifier,
                            QString(QChar(key)));
            QApplication::sendEvent(box, &press);
        }
        Shoot(out + "/stitch-size-refused.png");
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    QtShell real;
    real.RunStitchSizeDialog({{120, 80}, StitchSize{3000, 2000}, 14, "", "Org / Org / Org", true},
                             &main);
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
    // The README's picture is one of the examples when their folder is given, copied here so
    // that the PDF saved beside it lands here too.
    const QString flower = out + "/flower.bmp";
    QFile::remove(flower);
    if (argc <= 2 || !QFile::copy(QString::fromLocal8Bit(argv[2]) + "/flower.bmp", flower))
        DrawPicture(flower);
    shell.files << flower << out + "/notes.xyz" << out + "/wide.bmp";
    Program program(shell);
    program.ShowMainWindow();
    Settle(500);

    TF_main& main = program.Main();
    PhotographFirstSteps(out, shell, main);
    PhotographWindows(out, program, main);
    PhotographMenus(out, main);
    PhotographBoxes(out, main);
    PhotographNote(out, shell, main);
    return 0;
}
