// The stitch-size dialog of "Open Any Picture...": the box in stitches the picture is fitted
// into, its aspect kept, with the picture's size, the chart's size and its finished size as
// the box changes; and the small dialog that asks for a number.
#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

#include "engine/Census.h"
#include "threads/Floss.h"
#include "ui/Shell.h"

namespace brodix {

namespace {

// A side of the box: a number typed out of range is refused with the range, in words, rather
// than cut to fit without a word.
class StitchSideBox final : public QSpinBox {
    Q_OBJECT

  public:
    QValidator::State validate(QString& input, int& position) const override {
        const QValidator::State state = QSpinBox::validate(input, position);
        bool number = false;
        const int value = input.toInt(&number);
        if (number && (value < minimum() || value > maximum())) {
            emit const_cast<StitchSideBox*>(this)->Refused(
                QStringLiteral("%1 stitches is out of range: a side takes %2 to %3 stitches "
                               "(the largest chart the window draws).")
                    .arg(value)
                    .arg(minimum())
                    .arg(maximum()));
            return QValidator::Invalid;
        }
        return state;
    }

  signals:
    void Refused(const QString& text);
};

// Placed as the file dialogs are: centred across the owner's monitor, a third down.
void PlaceOver(QDialog& dialog, QWidget* owner) {
    dialog.adjustSize();
    QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        dialog.move(DialogPlacement(screen->geometry(), dialog.width(), dialog.height()).topLeft());
}

// The chart a box gives the picture: its stitches and finished size.
QString ChartText(const StitchSizeRequest& request, StitchSize box) {
    if (!request.pictureSize)
        return QStringLiteral("Chart: at most %1 x %2 stitches").arg(box.width).arg(box.height);
    const StitchSize chart =
        FittedSize(request.pictureSize->width, request.pictureSize->height, box);
    return QStringLiteral("Chart: %1 x %2 stitches\n%3")
        .arg(chart.width)
        .arg(chart.height)
        .arg(QString::fromStdString(
            threads::FinishedSizeText(chart.width, chart.height, request.fabricCount)));
}

}  // namespace

std::optional<StitchSizeAnswer> Shell::RunStitchSizeDialog(const StitchSizeRequest& request,
                                                           QWidget*) {
    return StitchSizeAnswer{request.start, request.keepLevels};
}

std::optional<int> Shell::AskNumber(const NumberRequest&, QWidget*) {
    return std::nullopt;
}

std::optional<TColor> Shell::AskColour(const std::string&, TColor, QWidget*) {
    return std::nullopt;
}

std::optional<StitchSizeAnswer> QtShell::RunStitchSizeDialog(const StitchSizeRequest& request,
                                                             QWidget* owner) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Stitch Size"));
    dialog.setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(&dialog);
    if (request.pictureSize) {
        layout->addWidget(new QLabel(QStringLiteral("Picture: %1 x %2 pixels")
                                         .arg(request.pictureSize->width)
                                         .arg(request.pictureSize->height)));
    }
    layout->addWidget(new QLabel(QStringLiteral("Fit the picture into (stitches, aspect kept):")));
    auto* form = new QFormLayout;
    const auto side = [&](int value) {
        auto* box = new StitchSideBox;
        box->setRange(1, kMaxStitchesPerSide);
        box->setValue(value);
        box->setToolTip(QStringLiteral("1 to %1 stitches").arg(kMaxStitchesPerSide));
        return box;
    };
    StitchSideBox* width = side(request.start.width);
    StitchSideBox* height = side(request.start.height);
    const QString range = QStringLiteral(" (1 to %1)").arg(kMaxStitchesPerSide);
    form->addRow(QStringLiteral("Width") + range, width);
    form->addRow(QStringLiteral("Height") + range, height);
    layout->addLayout(form);
    auto* chart = new QLabel;
    const auto update = [&] {
        chart->setText(ChartText(request, {width->value(), height->value()}));
    };
    update();
    QObject::connect(width, &QSpinBox::valueChanged, &dialog, update);
    QObject::connect(height, &QSpinBox::valueChanged, &dialog, update);
    layout->addWidget(chart);
    auto* refusal = new QLabel;
    refusal->setWordWrap(true);
    refusal->hide();
    layout->addWidget(refusal);
    for (StitchSideBox* box : {width, height}) {
        QObject::connect(box, &StitchSideBox::Refused, &dialog, [refusal](const QString& text) {
            refusal->setText(text);
            refusal->show();
        });
        QObject::connect(box, &QSpinBox::valueChanged, refusal, &QLabel::hide);
    }
    if (!request.colours.empty()) {
        auto* colours = new QLabel(QString::fromStdString(request.colours));
        colours->setWordWrap(true);
        layout->addWidget(colours);
    }
    QCheckBox* keepLevels = nullptr;
    if (!request.levels.empty()) {
        keepLevels =
            new QCheckBox(QStringLiteral("Keep the levels (%1); unticked, they are set to Org")
                              .arg(QString::fromStdString(request.levels)));
        keepLevels->setChecked(request.keepLevels);
        layout->addWidget(keepLevels);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);

    PlaceOver(dialog, owner);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return StitchSizeAnswer{{width->value(), height->value()},
                            keepLevels == nullptr || keepLevels->isChecked()};
}

std::optional<int> QtShell::AskNumber(const NumberRequest& request, QWidget* owner) {
    bool ok = false;
    const int value = QInputDialog::getInt(owner, QString::fromStdString(request.title),
                                           QString::fromStdString(request.label), request.value,
                                           request.low, request.high, 1, &ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<TColor> QtShell::AskColour(const std::string& title, TColor start, QWidget* owner) {
    const QColor chosen = QColorDialog::getColor(
        QColor(RedOf(start), GreenOf(start), BlueOf(start)), owner, QString::fromStdString(title));
    if (!chosen.isValid())
        return std::nullopt;
    return RGB(static_cast<unsigned>(chosen.red()), static_cast<unsigned>(chosen.green()),
               static_cast<unsigned>(chosen.blue()));
}

}  // namespace brodix

#include "StitchSizeDialog.moc"
