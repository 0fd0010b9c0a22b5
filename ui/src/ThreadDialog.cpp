// The thread dialog of "Change Thread..." and "Add Thread...", and the Yes/No question.
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QVBoxLayout>

#include "threads/KeyBuilder.h"
#include "ui/Shell.h"

namespace brodix {

std::optional<threads::Thread> Shell::ChooseThread(const ThreadChoiceRequest&, QWidget*) {
    return std::nullopt;
}

bool Shell::AskYesNo(const std::string&, const std::string&, QWidget*) {
    return true;
}

std::optional<threads::Thread> QtShell::ChooseThread(const ThreadChoiceRequest& request,
                                                     QWidget* owner) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QString::fromStdString(request.title));
    dialog.setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(&dialog);
    auto* note = new QLabel(QString::fromStdString(request.note));
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* filter = new QLineEdit;
    filter->setPlaceholderText(QStringLiteral("Type a number or a name"));
    layout->addWidget(filter);
    auto* list = new QListWidget;
    list->setMinimumSize(360, 320);
    for (const threads::ThreadDistance& choice : request.threads) {
        QPixmap swatch(16, 16);
        const TColor c = choice.thread.color;
        swatch.fill(QColor(RedOf(c), GreenOf(c), BlueOf(c)));
        auto* item = new QListWidgetItem(
            QIcon(swatch), QString::fromStdString(choice.thread.number + "  " + choice.thread.name +
                                                  "  ΔE00 " + threads::Fixed(choice.deltaE, 1)));
        list->addItem(item);
    }
    if (list->count() > 0)
        list->setCurrentRow(0);
    layout->addWidget(list);
    QObject::connect(filter, &QLineEdit::textChanged, list, [&](const QString& text) {
        int first = -1;
        for (int i = 0; i < list->count(); ++i) {
            const threads::Thread& thread = request.threads[static_cast<std::size_t>(i)].thread;
            const bool shown =
                QString::fromStdString(thread.number).contains(text, Qt::CaseInsensitive) ||
                QString::fromStdString(thread.name).contains(text, Qt::CaseInsensitive);
            list->item(i)->setHidden(!shown);
            if (shown && first < 0)
                first = i;
        }
        if (first >= 0)
            list->setCurrentRow(first);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0 ||
        list->currentItem()->isHidden())
        return std::nullopt;
    return request.threads[static_cast<std::size_t>(list->currentRow())].thread;
}

bool QtShell::AskYesNo(const std::string& text, const std::string& title, QWidget* owner) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace brodix
