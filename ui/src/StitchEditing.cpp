#include "ui/StitchEditing.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMouseEvent>

#include "engine/ChartGeometry.h"
#include "engine/SymbolSheet.h"
#include "pattern/PatternEdits.h"
#include "raster/Utf8.h"
#include "threads/KeyBuilder.h"
#include "ui/Guard.h"
#include "ui/ImageView.h"
#include "ui/Shell.h"
#include "ui/Unit1.h"

namespace brodix {

namespace {

constexpr const char* kToolNames[] = {"Paint", "Fill", "Erase"};

// How a legend row is named in the menu and the note: its number, thread and stitches.
std::string RowName(const Pattern& pattern, int row) {
    const threads::KeyRow& key = pattern.Key().Row(row);
    const int symbol = pattern.Colour(row).sheetSymbol;
    std::string name = "Symbol " + Utf8Of(SymbolCharacter(symbol)) + " (" +
                       std::to_string(threads::SymbolNumber(symbol)) + ")";
    if (key.blank)
        name += ", bare fabric";
    else if (key.hasThread)
        name += ", " + key.thread.number + " " + key.thread.name;
    else
        name += ", " + threads::HexColour(key.color);
    const int stitches = pattern.Stitches().PaletteAt(row).count;
    return name + ", " + std::to_string(stitches) + (stitches == 1 ? " stitch" : " stitches");
}

}  // namespace

StitchEditing::StitchEditing(TF_main& window, Shell& shell)
    : QObject(&window), m_window(window), m_shell(shell) {
    const auto windowAction = [&](const QString& text, const QList<QKeySequence>& keys) {
        auto* action = new QAction(text, &window);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        window.addAction(action);
        return action;
    };
    m_edit = windowAction(QStringLiteral("Edit Stitches"), {QKeySequence(Qt::CTRL | Qt::Key_E)});
    m_edit->setCheckable(true);
    connect(m_edit, &QAction::toggled, this, [this](bool on) { SetEditing(on); });
    auto* group = new QActionGroup(this);
    const Qt::Key keys[] = {Qt::Key_P, Qt::Key_F, Qt::Key_X};
    for (int i = 0; i < 3; ++i) {
        m_tools[i] = windowAction(QString::fromUtf8(kToolNames[i]), {QKeySequence(keys[i])});
        m_tools[i]->setCheckable(true);
        group->addAction(m_tools[i]);
        connect(m_tools[i], &QAction::triggered, this,
                [this, i] { SetTool(static_cast<Tool>(i)); });
    }
    m_tools[0]->setChecked(true);
    m_undo = windowAction(QStringLiteral("Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    m_redo = windowAction(QStringLiteral("Redo"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                                   QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(m_undo, &QAction::triggered, this, [this] { Undo(); });
    connect(m_redo, &QAction::triggered, this, [this] { Redo(); });
    for (const TImage* image : {&window.Img_color, &window.Img_CS}) {
        if (ImageView* view = window.ViewOf(*image))
            view->installEventFilter(this);
    }
    UpdateActions();
}

void StitchEditing::FillMenu(QMenu& menu, int row) {
    PatternEditor* editor = m_window.Editor();
    if (editor != nullptr && row >= 0 &&
        row < static_cast<int>(editor->Document().Colours().size())) {
        const Pattern& pattern = editor->Document();
        const bool threads = pattern.Settings().catalogue.has_value();
        QAction* change =
            menu.addAction(threads ? QStringLiteral("Change Thread...")
                                   : QStringLiteral("Change Thread... (choose Threads first)"));
        change->setEnabled(threads);
        connect(change, &QAction::triggered, this, [this, row] { ChangeThread(row); });
        QMenu* merge = menu.addMenu(pattern.Colours().size() > 1
                                        ? QStringLiteral("Merge Into...")
                                        : QStringLiteral("Merge Into... (add a colour first)"));
        for (int other = 0; other < static_cast<int>(pattern.Colours().size()); ++other) {
            if (other == row)
                continue;
            QAction* into = merge->addAction(QString::fromStdString(RowName(pattern, other)));
            connect(into, &QAction::triggered, this, [this, row, other] { MergeInto(row, other); });
        }
        merge->setEnabled(pattern.Colours().size() > 1);
        QAction* remove = menu.addAction(QStringLiteral("Remove Colour"));
        connect(remove, &QAction::triggered, this, [this, row] { RemoveColour(row, false); });
        QAction* fabric = menu.addAction(QStringLiteral("Remove Colour, Leaving Bare Fabric"));
        connect(fabric, &QAction::triggered, this, [this, row] { RemoveColour(row, true); });
    }
    if (editor != nullptr) {
        const bool threads = editor->Document().Settings().catalogue.has_value();
        QAction* add =
            menu.addAction(threads ? QStringLiteral("Add Thread...")
                                   : QStringLiteral("Add Thread... (choose Threads first)"));
        add->setEnabled(threads);
        connect(add, &QAction::triggered, this, [this] { AddThread(); });
    }
    menu.addSeparator();
    menu.addAction(m_edit);
    for (QAction* tool : m_tools)
        menu.addAction(tool);
    menu.addAction(m_undo);
    menu.addAction(m_redo);
}

void StitchEditing::ChooseColour(int row) {
    PatternEditor* editor = m_window.Editor();
    if (editor == nullptr || row < 0 ||
        row >= static_cast<int>(editor->Document().Colours().size()))
        return;
    m_colour = row;
    ShowColour();
}

bool StitchEditing::Editing() const {
    return m_edit->isChecked();
}

void StitchEditing::SetEditing(bool on) {
    if (m_edit->isChecked() != on)
        m_edit->setChecked(on);
    m_window.ShowNote(NoteText());
}

void StitchEditing::SetTool(Tool tool) {
    m_tool = tool;
    m_tools[static_cast<int>(tool)]->setChecked(true);
    m_window.ShowNote(NoteText());
}

void StitchEditing::ChangeThread(int row) {
    PatternEditor* editor = m_window.Editor();
    if (editor == nullptr || !editor->Document().Settings().catalogue)
        return;
    const Pattern& pattern = editor->Document();
    const bool snap = pattern.Settings().snap;
    ThreadChoiceRequest request;
    request.title = "Change Thread";
    request.note = snap ? "The colour takes the thread's colour (snap to threads is on)."
                        : "The colour keeps its own colour and is only named by the thread (snap "
                          "to threads is off).";
    request.colour = pattern.Colour(row).colour;
    request.threads = threads::ThreadsNearestFirst(*pattern.Settings().catalogue, request.colour);
    const std::optional<threads::Thread> thread = m_shell.ChooseThread(request, &m_window);
    if (!thread)
        return;
    editor->ChangeThread(row, *thread, snap);
    Changed();
}

void StitchEditing::MergeInto(int row, int into) {
    if (PatternEditor* editor = m_window.Editor()) {
        editor->Merge(row, into);
        Changed();
    }
}

void StitchEditing::RemoveColour(int row, bool toFabric) {
    if (PatternEditor* editor = m_window.Editor()) {
        if (const std::optional<EditRefusal> refusal = editor->Remove(row, toFabric))
            return Refused(refusal->text);
        Changed();
    }
}

void StitchEditing::AddThread() {
    PatternEditor* editor = m_window.Editor();
    if (editor == nullptr || !editor->Document().Settings().catalogue)
        return;
    ThreadChoiceRequest request;
    request.title = "Add Thread";
    request.note = "The thread is added as a new colour, the last row of the legend.";
    request.colour = m_colour >= 0 ? editor->Document().Colour(m_colour).colour : clWhite;
    request.threads =
        threads::ThreadsNearestFirst(*editor->Document().Settings().catalogue, request.colour);
    const std::optional<threads::Thread> thread = m_shell.ChooseThread(request, &m_window);
    if (!thread)
        return;
    const std::variant<int, EditRefusal> added = editor->AddThread(*thread);
    if (const auto* refusal = std::get_if<EditRefusal>(&added))
        return Refused(refusal->text);
    m_colour = std::get<int>(added);
    Changed();
}

void StitchEditing::ApplyTool(TPoint stitch, bool stroke) {
    PatternEditor* editor = m_window.Editor();
    if (editor == nullptr)
        return;
    const TPoint points[] = {stitch};
    if (m_tool == Tool::Erase) {
        const std::variant<int, EditRefusal> erased = editor->Erase(points, stroke);
        if (const auto* refusal = std::get_if<EditRefusal>(&erased))
            return Refused(refusal->text);
        if (std::get<int>(erased) > 0)
            Changed();
        return;
    }
    if (m_colour < 0)
        return Refused("Choose a colour first: click its row in the legend.");
    const int changed = m_tool == Tool::Fill ? editor->Fill(stitch, m_colour)
                                             : editor->Paint(points, m_colour, stroke);
    if (changed > 0)
        Changed();
}

void StitchEditing::Undo() {
    if (PatternEditor* editor = m_window.Editor(); editor != nullptr && editor->CanUndo()) {
        editor->Undo();
        Changed();
    }
}

void StitchEditing::Redo() {
    if (PatternEditor* editor = m_window.Editor(); editor != nullptr && editor->CanRedo()) {
        editor->Redo();
        Changed();
    }
}

void StitchEditing::PatternMade() {
    m_colour = -1;
    UpdateActions();
}

std::string StitchEditing::NoteText() const {
    const PatternEditor* editor = m_window.Editor();
    if (editor == nullptr)
        return {};
    std::string text;
    if (m_colour >= 0)
        text = "Colour: " + RowName(editor->Document(), m_colour) + ".";
    if (Editing()) {
        text += (text.empty() ? "" : " ") + std::string("Editing stitches: ") +
                kToolNames[static_cast<int>(m_tool)] + ".";
    }
    if (!editor->UndoReachesMade())
        text += " Undo reaches back " + std::to_string(editor->UndoableChanges()) +
                " changes, not to the pattern as made: the oldest were let go to keep the "
                "history under 64 MB.";
    return text;
}

void StitchEditing::Changed() {
    const PatternEditor* editor = m_window.Editor();
    if (editor != nullptr && m_colour >= static_cast<int>(editor->Document().Colours().size()))
        m_colour = -1;
    m_window.RedrawPattern();
    ShowColour();
}

void StitchEditing::ShowColour() {
    if (ImageView* legend = m_window.ViewOf(m_window.Img_color)) {
        legend->SetMark(m_colour < 0 ? QRect()
                                     : QRect(0, m_colour * kLegendRowHeight, kSwatchFrameWidth,
                                             kLegendRowHeight));
    }
    UpdateActions();
    m_window.ShowNote(NoteText());
}

void StitchEditing::UpdateActions() {
    const PatternEditor* editor = m_window.Editor();
    const bool undo = editor != nullptr && editor->CanUndo();
    const bool redo = editor != nullptr && editor->CanRedo();
    m_undo->setEnabled(undo);
    QString undoText = undo ? QString::fromStdString("Undo " + editor->UndoName())
                            : QStringLiteral("Undo (make a change by hand first)");
    // Past the history's room, the entry says how far back undo still reaches.
    if (undo && !editor->UndoReachesMade())
        undoText += QStringLiteral(" (%1 back at most)").arg(editor->UndoableChanges());
    m_undo->setText(undoText);
    m_redo->setEnabled(redo);
    m_redo->setText(redo ? QString::fromStdString("Redo " + editor->RedoName())
                         : QStringLiteral("Redo (undo a change first)"));
}

void StitchEditing::Refused(const std::string& text) {
    m_shell.ShowProgramMessage(text, kApplicationTitle, &m_window);
}

bool StitchEditing::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (type == QEvent::MouseButtonRelease) {
        m_dragging = false;
        return false;
    }
    const QPoint at = mouse->position().toPoint();
    if (type == QEvent::MouseButtonPress && mouse->button() != Qt::LeftButton)
        return false;
    if (type == QEvent::MouseMove && !(m_dragging && (mouse->buttons() & Qt::LeftButton)))
        return false;
    if (watched == m_window.ViewOf(m_window.Img_color)) {
        if (type == QEvent::MouseButtonPress)
            RunCatching([&] { ChooseColour(at.y() / kLegendRowHeight); });
        return false;
    }
    if (!Editing() || m_window.Editor() == nullptr)
        return false;
    const TPoint stitch{at.x() / kCellPitch, at.y() / kCellPitch};
    const bool stroke = type == QEvent::MouseMove;
    m_dragging = m_tool != Tool::Fill;
    Guard(m_shell, &m_window, [&] { ApplyTool(stitch, stroke); });
    return true;
}

}  // namespace brodix
