#include "ui/PatternMenu.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QHelpEvent>
#include <QMenu>
#include <QPushButton>
#include <QToolTip>

#include "engine/ChartGeometry.h"
#include "threads/KeyBuilder.h"
#include "ui/Guard.h"
#include "ui/ImageMenu.h"
#include "ui/ImageView.h"
#include "ui/Unit1.h"

namespace brodix {

namespace {

constexpr double kFabricCounts[] = {11, 14, 16, 18, 22, 28};
constexpr int kMinStitchChoices[] = {5, 10, 20, 50};
constexpr int kColourBudgets[] = {10, 20, 30, 50, 100};

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

PatternMenu::PatternMenu(TF_main& window, Shell& shell, threads::PatternSettings& settings)
    : QObject(&window),
      m_window(window),
      m_shell(shell),
      m_settings(settings),
      m_catalogueDialog(FileDialogKind::Open, {{"Thread catalogues", "*.xml *.gpl"}, {"ALL", "*"}},
                        "") {
    if (ImageView* legend = m_window.ViewOf(m_window.Img_color))
        legend->installEventFilter(this);
}

PatternMenu::~PatternMenu() = default;

void PatternMenu::MakeDone() {
    RebuildKey();
}

void PatternMenu::RebuildKey() {
    const std::optional<Census>& census = m_window.StoredWorkspace().LastCensus();
    m_key = census ? threads::KeyOf(*census, m_settings) : threads::PatternKey{};
}

// Make sees the change at its next run; with AutoMake that is now, as after a level change.
void PatternMenu::OptionsChanged() {
    if (m_window.CB_AUTO->isChecked())
        m_window.BTN_MAKE->click();
}

void PatternMenu::ChooseCatalogue(const std::string& path) {
    std::optional<threads::ThreadCatalogue>& catalogue = m_settings.catalogue;
    const bool snapped = m_settings.snap && catalogue;
    if (path.empty())
        catalogue.reset();
    else
        catalogue = threads::ReadCatalogue(path);
    RebuildKey();
    if (snapped || (m_settings.snap && catalogue))
        OptionsChanged();
}

void PatternMenu::ChooseOtherCatalogue() {
    if (m_catalogueDialog.Execute(m_shell, &m_window))
        ChooseCatalogue(m_catalogueDialog.FileName());
}

void PatternMenu::SetFabricCount(double count) {
    m_settings.floss.fabricCount = count;
    RebuildKey();
}

void PatternMenu::SetStrands(int strands) {
    m_settings.floss.strands = strands;
    RebuildKey();
}

void PatternMenu::SetSnap(bool on) {
    m_settings.snap = on;
    OptionsChanged();
}

void PatternMenu::SetClean(bool on) {
    m_settings.clean = on;
    OptionsChanged();
}

void PatternMenu::SetMinStitches(int stitches) {
    m_settings.minStitches = stitches;
    OptionsChanged();
}

void PatternMenu::SetMaxColours(int colours) {
    m_settings.maxColours = colours;
    OptionsChanged();
}

std::string PatternMenu::LegendTooltip(int y) const {
    if (!m_settings.catalogue || y < 0)
        return {};
    const std::size_t row = static_cast<std::size_t>(y / kLegendRowHeight);
    return row < m_key.rows.size() ? threads::RowTooltip(m_key.rows[row]) : std::string();
}

void PatternMenu::FillMenu(QMenu& menu) {
    AddThreadEntries(menu);
    AddFlossEntries(menu);
    menu.addSeparator();
    AddRefineEntries(menu);
}

void AddPatternEntries(QMenu& menu, TF_main& window) {
    window.Patterns().FillMenu(menu);
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
    for (double count : kFabricCounts) {
        QAction* action = fabric->addAction(QStringLiteral("%1 count").arg(count));
        action->setCheckable(true);
        action->setChecked(m_settings.floss.fabricCount == count);
        fabricGroup->addAction(action);
        OnTriggered(action, this, m_shell, &m_window, [this, count] { SetFabricCount(count); });
    }
    QMenu* strands = menu.addMenu(QStringLiteral("Strands"));
    auto* strandGroup = new QActionGroup(strands);
    for (int n = 1; n <= 6; ++n) {
        QAction* action = strands->addAction(QString::number(n));
        action->setCheckable(true);
        action->setChecked(m_settings.floss.strands == n);
        strandGroup->addAction(action);
        OnTriggered(action, this, m_shell, &m_window, [this, n] { SetStrands(n); });
    }
}

void PatternMenu::AddRefineEntries(QMenu& menu) {
    QAction* snap = menu.addAction(QStringLiteral("Snap to threads"));
    snap->setCheckable(true);
    snap->setChecked(m_settings.snap);
    snap->setEnabled(m_settings.catalogue.has_value());
    OnTriggered(snap, this, m_shell, &m_window, [this] { SetSnap(!m_settings.snap); });
    QAction* clean = menu.addAction(QStringLiteral("Clean stray stitches"));
    clean->setCheckable(true);
    clean->setChecked(m_settings.clean);
    OnTriggered(clean, this, m_shell, &m_window, [this] { SetClean(!m_settings.clean); });

    const auto addChoices = [&](const QString& title, const int* values, std::size_t count,
                                int current, const QString& pattern, auto set) {
        QMenu* sub = menu.addMenu(title);
        auto* group = new QActionGroup(sub);
        const auto add = [&](const QString& text, int value) {
            QAction* action = sub->addAction(text);
            action->setCheckable(true);
            action->setChecked(current == value);
            group->addAction(action);
            OnTriggered(action, this, m_shell, &m_window, [set, value] { set(value); });
        };
        add(QStringLiteral("Off"), 0);
        for (std::size_t i = 0; i < count; ++i)
            add(pattern.arg(values[i]), values[i]);
    };
    addChoices(QStringLiteral("Merge rare colours"), kMinStitchChoices,
               std::size(kMinStitchChoices), m_settings.minStitches,
               QStringLiteral("Under %1 stitches"), [this](int value) { SetMinStitches(value); });
    addChoices(QStringLiteral("Colour budget"), kColourBudgets, std::size(kColourBudgets),
               m_settings.maxColours, QStringLiteral("At most %1 colours"),
               [this](int value) { SetMaxColours(value); });
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
