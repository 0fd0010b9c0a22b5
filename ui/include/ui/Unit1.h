#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "engine/Make.h"
#include "engine/ReduceColor.h"
#include "engine/Workspace.h"
#include "pattern/Pattern.h"
#include "pattern/PatternEdits.h"
#include "raster/TImage.h"
#include "threads/PatternSettings.h"
#include "ui/FileDialog.h"

class QCheckBox;
class QCloseEvent;
class QLabel;
class QPushButton;
class QStatusBar;

namespace Ui {
class TF_main;
}

namespace brodix {

class ImageView;
class PdfSave;
class PatternFileSave;
class PatternMenu;
class RadioGroup;
class ScrollBox;
class Shell;
class StitchEditing;

// The main window: commands, preview, level choices and status in the left column, the legend
// in the middle, the chart on the right. All of its state lives in its components.
class TF_main : public QWidget {
    Q_OBJECT

    // The images of the design live here, made before the components that name them below.
    Workspace m_workspace;

  public:
    // Creates the window from its design, hidden, and runs FormCreate; a failure there is
    // reported through shell before the window is ever shown, and creation goes on.
    explicit TF_main(Shell& shell, QWidget* parent = nullptr);
    ~TF_main() override;

    // The components, in the design's order. Images are the workspace's window-free TImages,
    // shown by views of the same name in the form; everything else is a control the form owns.
    TImage& Image1 = m_workspace.picture;
    QPushButton* BTN_MAKE = nullptr;
    QPushButton* BitBtn2 = nullptr;
    TImage& Img_mark = m_workspace.symbols;
    QLabel* L_ColorCount = nullptr;
    RadioGroup* RG_ColorR = nullptr;
    TFileDialog OpenDialog1;
    TImage& Image2 = m_workspace.preview;
    TImage& IMG_BLK = m_workspace.blank;
    QPushButton* BTN_SAVE = nullptr;
    TFileDialog SaveDialog1;
    QLabel* L_x = nullptr;
    QLabel* L_y = nullptr;
    ScrollBox* ScrollBox1 = nullptr;
    TImage& Img_color = m_workspace.legend;
    ScrollBox* ScrollBox2 = nullptr;
    TImage& Img_CS = m_workspace.chart;
    QLabel* Label1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    RadioGroup* RG_ColorG = nullptr;
    RadioGroup* RG_ColorB = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* CB_AUTO = nullptr;
    QStatusBar* StsBar = nullptr;
    TImage& IMG_save = m_workspace.scratch;

    // Event handlers. Each runs to completion; a failure leaving one is reported by the
    // exception message box (they are always called through Guard).
    void BTN_MAKEClick(QObject* sender);
    void FormCreate(QObject* sender);
    void BitBtn2Click(QObject* sender);
    void BTN_SAVEClick(QObject* sender);
    void BitBtn1Click(QObject* sender);
    void RG_ColorGClick(QObject* sender);
    void CB_AUTOClick(QObject* sender);
    // "Save PDF..." of the legend's and the chart's menu.
    void SavePdfClick(QObject* sender);
    // "Save OXS..." of the same menu.
    void SaveOxsClick(QObject* sender);
    // "Save Preview..." of the same menu: the pattern as it will look stitched, a PNG picture.
    void SavePreviewClick(QObject* sender);
    // The note after a file of the pattern menu is written ("Save PDF...").
    void ShowWritten(const std::string& fileName);

    // The note of the left column under the status bar, which the status bar leaves to Make:
    // its first line names the pattern choices in force that change the pattern (none: no
    // line), then what the program last had to say (what was written, what the photo defaults
    // did, what an OXS file lost), wrapped over as many lines as it needs, the whole text its
    // tooltip when it is longer still. The note stays until another replaces it or another
    // picture is loaded; empty, the column is as designed.
    QLabel* L_note = nullptr;
    void ShowNote(const std::string& text);
    // The choices line again, after a choice changed.
    void ShowChoices();
    // The whole text of the note area.
    std::string NoteText() const;

    // "Open Any Picture..." in the context menu of the legend and the chart: its file dialog,
    // the stitch size last confirmed, and its handler.
    TFileDialog OpenAnyDialog;
    StitchSize AnyPictureSize{kMaxStitchesPerSide, kMaxStitchesPerSide};  // the largest chart
    void OpenAnyPictureClick(QObject* sender);

    // Make, as the Make button runs it: the pattern of Image1 with the level choices and the
    // pattern settings, drawn into the chart, the legend, the preview and the zoom window; a
    // refusal shown in the program's message box. With takePhotoDefaults, or whenever the
    // picture is a photograph from "Open Any Picture...", a photograph refused for its colours
    // takes the photo defaults, which the pattern menu then shows and the note tells. Gives
    // whether it was done, refused or had no picture.
    MakeResult MakeChart(bool takePhotoDefaults = false);

    // Runs a handler as a click on a control does: a failure leaving it is reported.
    void RunHandler(void (TF_main::*handler)(QObject*), QObject* sender);

    // The three level choices as Make takes them.
    LevelChoices Levels() const;
    // The view in this window that shows image (one of the images above).
    ImageView* ViewOf(const TImage& image) const;
    // The context menu of the legend and the chart, which edits the pattern settings.
    PatternMenu& Patterns() const { return *m_patternMenu; }
    // The pattern settings of this run, which Make and the key follow.
    const threads::PatternSettings& PatternChoices() const { return m_patternSettings; }
    // The images above.
    const Workspace& StoredWorkspace() const { return m_workspace; }
    // The pattern of the last Make that was done, as changed by hand since; null before the
    // first.
    const Pattern* CurrentPattern() const { return m_editor ? &m_editor->Document() : nullptr; }
    // The changes by hand of that pattern, with their undo history; null before the first Make.
    PatternEditor* Editor() { return m_editor ? &*m_editor : nullptr; }
    const PatternEditor* Editor() const { return m_editor ? &*m_editor : nullptr; }
    // The current colour, the Edit Stitches mode, undo and redo.
    StitchEditing& Edits() const { return *m_stitchEditing; }
    // The pattern drawn again into the chart, the legend, the preview and the zoom window after
    // a change by hand.
    void RedrawPattern();
    // Whether changes by hand may be lost: asked when there are any (all of them, by Make, or
    // only those not saved as OXS), true without asking when there are none.
    bool MayLoseChanges(bool unsavedOnly);
    // A new picture was read: the pattern's changes by hand are its own and no longer asked
    // about.
    void ForgetChanges();
    // The pattern settings' choices that change no stitch (threads, floss, fabric colour,
    // white, the report) take effect on the current pattern, and the zoom window shows it.
    void ApplyChoices();

  protected:
    void closeEvent(QCloseEvent* event) override;

  signals:
    // Make starts, from the button or from any other command that runs it.
    void MakeStarted();

  private:
    template <typename Sender, typename Signal>
    void ConnectHandler(Sender* sender, Signal signal, void (TF_main::*handler)(QObject*));

    Shell& m_shell;
    std::unique_ptr<Ui::TF_main> m_form;
    std::unique_ptr<PdfSave> m_pdfSave;
    std::unique_ptr<PatternFileSave> m_oxsSave;
    std::unique_ptr<PatternFileSave> m_previewSave;
    threads::PatternSettings m_patternSettings;
    std::optional<PatternEditor> m_editor;
    StitchEditing* m_stitchEditing = nullptr;  // a child of this window
    // The picture was opened as a photograph by "Open Any Picture...": Make gives it the photo
    // defaults whenever no colour budget is chosen.
    bool m_photoOpened = false;
    // The last Make was not run because the user kept the changes made by hand; the level
    // choices the chart on screen was last asked with (a level clicked while AutoMake was off
    // counts as asked), which a declined level click goes back to.
    bool m_makeDeclined = false;
    LevelChoices m_levelsAsked;
    // The picture is an OXS chart opened at its own size: Make keeps its threads and symbols.
    std::vector<OwnThread> m_chartThreads;
    std::string m_note;
    PatternMenu* m_patternMenu = nullptr;  // a child of this window, editing m_patternSettings
};

// The one main window, set while it exists.
extern TF_main* F_main;

}  // namespace brodix
