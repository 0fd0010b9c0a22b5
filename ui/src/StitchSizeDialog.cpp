// The stitch-size dialog of "Open Any Picture...": the box in stitches the picture is fitted
// into, its aspect kept.
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include "engine/Census.h"
#include "ui/Shell.h"

namespace brodix {

std::optional<StitchSize> Shell::RunStitchSizeDialog(StitchSize start, QWidget*) {
    return start;
}

std::optional<StitchSize> QtShell::RunStitchSizeDialog(StitchSize start, QWidget* owner) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Stitch Size"));
    dialog.setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(&dialog);
    auto* note = new QLabel(QStringLiteral("Fit the picture into (stitches, aspect kept):"));
    layout->addWidget(note);
    auto* form = new QFormLayout;
    const auto side = [&](int value) {
        auto* box = new QSpinBox;
        box->setRange(1, kMaxStitchesPerSide);
        box->setValue(value);
        return box;
    };
    QSpinBox* width = side(start.width);
    QSpinBox* height = side(start.height);
    form->addRow(QStringLiteral("Width"), width);
    form->addRow(QStringLiteral("Height"), height);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);

    // Placed as the file dialogs are: centred across the owner's monitor, a third down.
    dialog.adjustSize();
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        dialog.move(DialogPlacement(screen->geometry(), dialog.width(), dialog.height()).topLeft());
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return StitchSize{width->value(), height->value()};
}

}  // namespace brodix
