#include "ui/PatternMenu.h"

#include <algorithm>

#include <QActionGroup>
#include <QCheckBox>
#include <QHelpEvent>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolTip>

#include "engine/ChartGeometry.h"
#include "pattern/PatternReport.h"
#include "threads/KeyBuilder.h"
#include "threads/PatternOptions.h"
#include "threads/PatternSettings.h"
#include "ui/Guard.h"
#include "ui/ImageMenu.h"
#include "ui/ImageView.h"
#include "ui/PatternStore.h"
#include "ui/PdfSave.h"
#include "ui/ScrollBox.h"
#include "ui/Shell.h"
#include "ui/Unit1.h"

namespace brodix {

namespace {

using threads::PatternOptionNamed;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// Shown over the legend and the chart until a catalogue gives the legend's rows their threads.
constexpr const char* kMenuHint =
    "Right-click here (or press the menu key) for more:\n"
    "Open Any Picture... (PNG, JPEG, GIF, BMP, OXS of any size),\n"
    "Threads, Fabric count and Strands for the key,\n"
    "Snap to threads, Clean stray stitches, Merge rare colours, Colour budget,\n"
    "Dither (for photographs), Stitchability Report... (how easily it stitches),\n"
    "Save PDF... (the pattern ready to print, the report on its cover if chosen),\n"
    "Save OXS... (for other programs).\n"
    "Choose Threads to see each colour's thread here.";

}  // namespace

PatternMenu::PatternMenu(TF_main& window, Shell& shell, threads::PatternSettings& settings)
    : QObject(&window),
      m_window(window),
      m_shell(shell),
      m_settings(settings),
      m_catalogueDialog(FileDialogKind::Open, {{"Thread catalogues", "*.xml *.gpl"}, {"ALL", "*"}},
                        "") {
    const std::string note = RestorePatternSettings(m_shell, m_settings);
    if (!note.empty())
        m_window.ShowNote(note);
    if (ImageView* legend = m_window.ViewOf(m_window.Img_color))
        legend->installEventFilter(this);
    ShowHints();
}

void PatternMenu::ShowHints() {
    const QString hint = m_settings.catalogue ? QString() : QString::fromUtf8(kMenuHint);
    for (ScrollBox* box : {m_window.ScrollBox1, m_window.ScrollBox2})
        box->setToolTip(hint);
}

std::string PatternMenu::ImageHint() const {
    return m_settings.catalogue ? std::string() : std::string(kMenuHint);
}

void PatternMenu::Remember() {
    StorePatternSettings(m_shell, m_settings);
    m_window.ShowChoices();
}

PatternMenu::~PatternMenu() = default;

// A refining choice shows at once, AutoMake or not: the user chose it from the chart itself.
// Make then also applies level changes not yet made into a chart, as the button would. A Make
// refused takes the choice back, so that the menu shows the pattern still on screen.
void PatternMenu::OptionsChanged(const threads::PatternSettings& before) {
    if (m_window.MakeChart() == MakeResult::Refused) {
        m_settings = before;
        m_window.ApplyChoices();
        ShowHints();
    }
    Remember();
}

void PatternMenu::ResetChoices() {
    const threads::PatternSettings before = m_settings;
    threads::ResetPatternChoices(m_settings);
    OptionsChanged(before);
}

void PatternMenu::ChooseCatalogue(const std::string& path) {
    const threads::PatternSettings before = m_settings;
    std::optional<threads::ThreadCatalogue>& catalogue = m_settings.catalogue;
    const bool snapped = m_settings.snap && catalogue;
    if (path.empty())
        catalogue.reset();
    else
        catalogue = threads::ReadCatalogue(path);
    m_window.ApplyChoices();
    ShowHints();
    if (snapped || (m_settings.snap && catalogue))
        OptionsChanged(before);
    else
        Remember();
}

void PatternMenu::ChooseOtherCatalogue() {
    if (m_catalogueDialog.Execute(m_shell, &m_window))
        ChooseCatalogue(m_catalogueDialog.FileName());
}

void PatternMenu::SetFabricCount(double count) {
    m_settings.floss.fabricCount = count;
    m_window.ApplyChoices();
    Remember();
}

void PatternMenu::SetFabricColour(TColor colour) {
    m_settings.fabricColour = colour;
    m_window.ApplyChoices();
    Remember();
}

void PatternMenu::AskFabricColour() {
    if (const std::optional<TColor> colour =
            m_shell.AskColour("Fabric Colour", m_settings.fabricColour, &m_window))
        SetFabricColour(*colour);
}

void PatternMenu::SetStrands(int strands) {
    m_settings.floss.strands = strands;
    m_window.ApplyChoices();
    Remember();
}

void PatternMenu::SetStitchWhite(bool on) {
    m_settings.stitchWhite = on;
    m_window.ApplyChoices();
    Remember();
}

void PatternMenu::SetSnap(bool on) {
    const threads::PatternSettings before = m_settings;
    m_settings.snap = on;
    OptionsChanged(before);
}

void PatternMenu::SetClean(bool on) {
    const threads::PatternSettings before = m_settings;
    m_settings.clean = on;
    OptionsChanged(before);
}

void PatternMenu::SetMinStitches(int stitches) {
    const threads::PatternSettings before = m_settings;
    m_settings.minStitches = stitches;
    OptionsChanged(before);
}

void PatternMenu::SetMaxColours(int colours) {
    const threads::PatternSettings before = m_settings;
    m_settings.maxColours = colours;
    OptionsChanged(before);
}

void PatternMenu::AskMaxColours() {
    const int start = m_settings.maxColours > 0 ? m_settings.maxColours : kPhotoColourBudget;
    // At least one colour: none is the menu's "Off".
    const int most = static_cast<int>(PatternOptionNamed("--max-colours").high);
    if (const std::optional<int> colours = m_shell.AskNumber(
            {"Colour Budget", "At most this many colours:", start, 1, most}, &m_window))
        SetMaxColours(*colours);
}

void PatternMenu::SetDither(bool on) {
    const threads::PatternSettings before = m_settings;
    m_settings.dither = on;
    OptionsChanged(before);
}

// The report changes no stitch: it is remembered without a new Make.
void PatternMenu::SetReport(bool on) {
    m_settings.report = on;
    m_window.ApplyChoices();
    Remember();
}

void PatternMenu::ShowReport() {
    const Pattern* pattern = m_window.CurrentPattern();
    if (pattern == nullptr)
        return;
    std::string text;
    for (const std::string& line :
         StitchabilityLinesOf(*pattern, m_window.StoredWorkspace().SymbolSheet()))
        text.append(text.empty() ? "" : "\n").append(line);
    m_shell.ShowProgramMessage(text, "Stitchability Report", &m_window);
}

void PatternMenu::PhotoDefaultsTaken(const threads::PatternSettings& settings) {
    m_settings = settings;
    ShowHints();
}

const threads::PatternKey& PatternMenu::Key() const {
    static const threads::PatternKey kNoKey;
    const Pattern* pattern = m_window.CurrentPattern();
    return pattern != nullptr ? pattern->Key() : kNoKey;
}

std::string PatternMenu::LegendTooltip(int y) const {
    if (!m_settings.catalogue)
        return ImageHint();
    if (y < 0)
        return {};
    const std::size_t row = static_cast<std::size_t>(y / kLegendRowHeight);
    const threads::PatternKey& key = Key();
    return row < key.rows.size() ? threads::RowTooltip(key.rows[row]) : std::string();
}

void PatternMenu::FillMenu(QMenu& menu) {
    menu.setToolTipsVisible(true);
    AddThreadEntries(menu);
    AddFlossEntries(menu);
    menu.addSeparator();
    AddRefineEntries(menu);
}

void PatternMenu::FillPdfMenu(QMenu& menu) {
    AddWordChoices(menu, QStringLiteral("PDF paper"), PatternOptionNamed("--paper"));
    AddWordChoices(menu, QStringLiteral("PDF chart style"), PatternOptionNamed("--chart-style"));
}

void AddPatternEntries(QMenu& menu, TF_main& window) {
    window.Patterns().FillMenu(menu);
}

void AddPdfChoiceEntries(QMenu& menu, TF_main& window) {
    window.Patterns().FillPdfMenu(menu);
}

// Each entry runs its choice through the window's guard: a catalogue that cannot be read is
// shown by the exception message box, and the choice before it stays.
template <typename Choice>
static void OnTriggered(QAction* action, QObject* context, Shell& shell, QWidget* owner,
                        Choice choice) {
    QObject::connect(action, &QAction::triggered, context,
                     [&shell, owner, choice] { Guard(shell, owner, choice); });
}

void PatternMenu::AddThreadEntries(QMenu& menu) {
    QMenu* threads = menu.addMenu(QStringLiteral("Threads"));
    auto* group = new QActionGroup(threads);
    const auto add = [&](const QString& text, bool checked) {
        QAction* action = threads->addAction(text);
        action->setCheckable(true);
        action->setChecked(checked);
        group->addAction(action);
        return action;
    };
    OnTriggered(add(QStringLiteral("None"), !m_settings.catalogue), this, m_shell, &m_window,
                [this] { ChooseCatalogue({}); });
    bool listed = false;
    for (const threads::CatalogueFile& file :
         threads::FindCatalogues(threads::CatalogueFolders())) {
        const bool chosen = m_settings.catalogue && m_settings.catalogue->path == file.path;
        listed = listed || chosen;
        OnTriggered(add(Text(file.title), chosen), this, m_shell, &m_window,
                    [this, path = file.path] { ChooseCatalogue(path); });
    }
    if (m_settings.catalogue && !listed)
        add(Text(m_settings.catalogue->title), true);
    threads->addSeparator();
    OnTriggered(threads->addAction(QStringLiteral("Other file...")), this, m_shell, &m_window,
                [this] { ChooseOtherCatalogue(); });
}

void PatternMenu::AddFlossEntries(QMenu& menu) {
    QMenu* fabric = menu.addMenu(QStringLiteral("Fabric count"));
    auto* fabricGroup = new QActionGroup(fabric);
    for (double count : PatternOptionNamed("--fabric").menuValues) {
        QAction* action = fabric->addAction(QStringLiteral("%1 count").arg(count));
        action->setCheckable(true);
        action->setChecked(m_settings.floss.fabricCount == count);
        fabricGroup->addAction(action);
        OnTriggered(action, this, m_shell, &m_window, [this, count] { SetFabricCount(count); });
    }
    // Its swatch shows the colour chosen, framed so that white shows too.
    QPixmap swatch(12, 12);
    const TColor cloth = m_settings.fabricColour;
    swatch.fill(QColor(RedOf(cloth), GreenOf(cloth), BlueOf(cloth)));
    QPainter(&swatch).drawRect(0, 0, swatch.width() - 1, swatch.height() - 1);
    OnTriggered(menu.addAction(QIcon(swatch), QStringLiteral("Fabric colour...")), this, m_shell,
                &m_window, [this] { AskFabricColour(); });
    QMenu* strands = menu.addMenu(QStringLiteral("Strands"));
    auto* strandGroup = new QActionGroup(strands);
    for (double value : PatternOptionNamed("--strands").menuValues) {
        const int n = static_cast<int>(value);
        QAction* action = strands->addAction(QString::number(n));
        action->setCheckable(true);
        action->setChecked(m_settings.floss.strands == n);
        strandGroup->addAction(action);
        OnTriggered(action, this, m_shell, &m_window, [this, n] { SetStrands(n); });
    }
    QAction* white = menu.addAction(QStringLiteral("Stitch white"));
    white->setCheckable(true);
    white->setChecked(m_settings.stitchWhite);
    OnTriggered(white, this, m_shell, &m_window,
                [this] { SetStitchWhite(!m_settings.stitchWhite); });
}

void PatternMenu::AddRefineEntries(QMenu& menu) {
    // Greyed, the entry says why; the choice is kept for when a catalogue is chosen.
    const bool snappable = m_settings.catalogue.has_value();
    QAction* snap =
        menu.addAction(snappable ? QStringLiteral("Snap to threads")
                                 : QStringLiteral("Snap to threads (choose Threads first)"));
    snap->setCheckable(true);
    snap->setChecked(m_settings.snap);
    snap->setEnabled(snappable);
    OnTriggered(snap, this, m_shell, &m_window, [this] { SetSnap(!m_settings.snap); });
    // After a dither the clean is skipped: greyed, the entry says so, and the choice is kept.
    QAction* clean =
        AddToggle(menu,
                  m_settings.dither ? QStringLiteral("Clean stray stitches (skipped after Dither)")
                                    : QStringLiteral("Clean stray stitches"),
                  m_settings.clean, &PatternMenu::SetClean);
    clean->setEnabled(!m_settings.dither);

    // The option's menu values, 0 shown as "Off".
    const auto addChoices = [&](const QString& title, const threads::PatternOption& option,
                                const QString& pattern, auto set) {
        QMenu* sub = menu.addMenu(title);
        auto* group = new QActionGroup(sub);
        const double current = option.get(m_settings);
        for (double choice : option.menuValues) {
            const int value = static_cast<int>(choice);
            QAction* action =
                sub->addAction(value == 0 ? QStringLiteral("Off") : pattern.arg(value));
            action->setCheckable(true);
            action->setChecked(current == choice);
            group->addAction(action);
            OnTriggered(action, this, m_shell, &m_window, [set, value] { set(value); });
        }
        return sub;
    };
    addChoices(QStringLiteral("Merge rare colours"), PatternOptionNamed("--min-stitches"),
               QStringLiteral("Under %1 stitches"), [this](int value) { SetMinStitches(value); });
    const threads::PatternOption& budgets = PatternOptionNamed("--max-colours");
    QMenu* budget =
        addChoices(QStringLiteral("Colour budget"), budgets, QStringLiteral("At most %1 colours"),
                   [this](int value) { SetMaxColours(value); });
    // Any other budget; a budget not listed shows ticked here.
    const bool listed = std::find(budgets.menuValues.begin(), budgets.menuValues.end(),
                                  budgets.get(m_settings)) != budgets.menuValues.end();
    QAction* other = budget->addAction(
        listed ? QStringLiteral("Other...")
               : QStringLiteral("At most %1 colours (other...)").arg(m_settings.maxColours));
    other->setCheckable(true);
    other->setChecked(!listed);
    budget->actions().front()->actionGroup()->addAction(other);
    OnTriggered(other, this, m_shell, &m_window, [this] { AskMaxColours(); });
    AddToggle(menu, QStringLiteral("Dither (for photographs)"), m_settings.dither,
              &PatternMenu::SetDither);
    OnTriggered(menu.addAction(QStringLiteral("Reset Pattern Choices")), this, m_shell, &m_window,
                [this] { ResetChoices(); });
    menu.addSeparator();
    AddReportEntries(menu);
}

// How the PDF is printed changes no stitch: the choice is remembered without a new Make.
void PatternMenu::AddWordChoices(QMenu& menu, const QString& title,
                                 const threads::PatternOption& option) {
    QMenu* sub = menu.addMenu(title);
    auto* group = new QActionGroup(sub);
    for (double value : option.menuValues) {
        const std::string_view caption = option.words[static_cast<std::size_t>(value)].caption;
        QAction* action = sub->addAction(Text(std::string(caption)));
        action->setCheckable(true);
        action->setChecked(option.get(m_settings) == value);
        group->addAction(action);
        OnTriggered(action, this, m_shell, &m_window, [this, &option, value] {
            option.set(m_settings, value);
            m_window.ApplyChoices();
            Remember();
        });
    }
}

QAction* PatternMenu::AddToggle(QMenu& menu, const QString& text, bool on,
                                void (PatternMenu::*set)(bool)) {
    QAction* action = menu.addAction(text);
    action->setCheckable(true);
    action->setChecked(on);
    OnTriggered(action, this, m_shell, &m_window,
                [this, set, action] { (this->*set)(action->isChecked()); });
    return action;
}

void PatternMenu::AddReportEntries(QMenu& menu) {
    QAction* show = AddPatternSaveEntry(menu, m_window, QStringLiteral("Stitchability Report..."));
    OnTriggered(show, this, m_shell, &m_window, [this] { ShowReport(); });
    AddToggle(menu, QStringLiteral("Report on the PDF Cover"), m_settings.report,
              &PatternMenu::SetReport);
}

bool PatternMenu::eventFilter(QObject* watched, QEvent* event) {
    // The legend's tooltips; the menus open from ImageMenu.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const std::string text = LegendTooltip(help->pos().y());
        if (text.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), Text(text), static_cast<QWidget*>(watched));
        return true;
    }
    return false;
}

}  // namespace brodix
