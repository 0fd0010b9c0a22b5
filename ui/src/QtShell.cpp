#include <iostream>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QStringList>

#include "engine/Messages.h"
#include "engine/SymbolSheet.h"
#include "ui/Shell.h"
#include "ui/WindowPlacement.h"

namespace brodix {

namespace {

QScreen* ScreenOf(QWidget* owner) {
    if (owner && owner->screen())
        return owner->screen();
    return QGuiApplication::primaryScreen();
}

// Puts a dialog on its owner's monitor, centred across and a third of the free height down,
// by its outer size.
void PlaceDialog(QDialog& dialog, QWidget* owner) {
    dialog.ensurePolished();
    dialog.adjustSize();
    if (QScreen* screen = ScreenOf(owner)) {
        const QRect monitor = screen->geometry();
        PlaceByOuterSize(dialog, [monitor](const QSize& outer) {
            return DialogPlacement(monitor, outer.width(), outer.height()).topLeft();
        });
    }
}

// A message box sizes itself to its text; its title may need more. The window manager's title
// bar holds an icon and up to three buttons beside the caption, each about as wide as the bar
// is high, and draws the caption in a bold font more often than not.
void WidenForTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    grid->addItem(new QSpacerItem(TitleBarWidth(box.windowTitle()), 0, QSizePolicy::Minimum,
                                  QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QString FilterEntry(const FileFilter& filter) {
    return QString::fromStdString(filter.name + " (" + filter.pattern + ")");
}

// The entry in use when the user confirmed. With the patterns hidden, Qt may name the entry by
// what it shows ("ALL") rather than by the whole entry ("ALL (*)").
int ChosenFilter(const QString& selected, const QStringList& entries,
                 const std::vector<FileFilter>& filters) {
    const auto index = entries.indexOf(selected);
    if (index >= 0)
        return static_cast<int>(index);
    for (std::size_t i = 0; i < filters.size(); ++i) {
        if (QString::fromStdString(filters[i].name) == selected)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

QRect DialogPlacement(const QRect& screen, int dialogWidth, int dialogHeight) {
    const int left = screen.left() + (screen.width() - dialogWidth) / 2;
    const int top = screen.top() + (screen.height() - dialogHeight) / 3;
    return QRect(left, top, dialogWidth, dialogHeight);
}

int TitleBarWidth(const QString& title) {
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int button = metrics.height() + 8;
    return metrics.horizontalAdvance(title) + 4 * (button + 4) + 16;
}

std::optional<FileChoice> QtShell::RunFileDialog(const FileDialogRequest& request, QWidget* owner) {
    QFileDialog dialog(owner);
    // Our own dialog, so that its settings and its place are the ones the program asks for.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // The entries read "bmp" and "ALL"; their patterns filter without being shown.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setWindowModality(Qt::ApplicationModal);
    const bool saving = request.kind == FileDialogKind::Save;
    if (!request.title.empty())
        dialog.setWindowTitle(QString::fromStdString(request.title));
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // AnyFile: the open dialog takes a typed name that does not exist; loading then reports it.
    dialog.setFileMode(QFileDialog::AnyFile);

    QStringList filters;
    for (const FileFilter& filter : request.filters)
        filters << FilterEntry(filter);
    dialog.setNameFilters(filters);
    const int index = request.start.filterIndex;
    if (index >= 0 && index < filters.size())
        dialog.selectNameFilter(filters[index]);
    if (!request.start.fileName.empty()) {
        const QString start = QString::fromStdString(request.start.fileName);
        dialog.setDirectory(QFileInfo(start).absolutePath());
        dialog.selectFile(start);
    }

    PlaceDialog(dialog, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    FileChoice choice;
    choice.fileName = QFileInfo(chosen.front()).absoluteFilePath().toStdString();
    choice.filterIndex = ChosenFilter(dialog.selectedNameFilter(), filters, request.filters);
    return choice;
}

void QtShell::ShowProgramMessage(const std::string& text, const std::string& title,
                                 QWidget* owner) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title),
                    QString::fromStdString(LineBreaksForDisplay(text)), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    WidenForTitle(box);
    box.exec();
}

void QtShell::ShowExceptionMessage(const std::string& text, QWidget* owner) {
    // Plain text: a file name in the message is shown as it is, never read as markup.
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                    QString::fromStdString(LineBreaksForDisplay(text)), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    WidenForTitle(box);
    box.exec();
}

std::optional<std::string> Shell::StoredSetting(const std::string&) {
    return std::nullopt;
}

void Shell::StoreSetting(const std::string&, const std::string&) {}

QtShell::QtShell() : m_settings(SettingsFilePath(), std::cerr) {}

std::optional<std::string> QtShell::StoredSetting(const std::string& key) {
    return m_settings.Value(key);
}

void QtShell::StoreSetting(const std::string& key, const std::string& value) {
    m_settings.SetValue(key, value);
}

std::string QtShell::ProgramFileName() {
    const std::string path = brodix::ProgramFileName();
    return path.empty() ? QCoreApplication::applicationFilePath().toStdString() : path;
}

}  // namespace brodix
