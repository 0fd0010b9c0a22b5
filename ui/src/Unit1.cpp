#include "ui/Unit1.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>

#include "engine/Census.h"
#include "engine/Make.h"
#include "engine/Messages.h"
#include "engine/SymbolSheet.h"
#include "export/SavePattern.h"
#include "pattern/MakePattern.h"
#include "pattern/OxsReader.h"
#include "photo/Photo.h"
#include "raster/FileName.h"
#include "ui/ButtonKeys.h"
#include "ui/ControlCaptions.h"
#include "ui/Guard.h"
#include "ui/ImageMenu.h"
#include "ui/ImageView.h"
#include "ui/OxsSave.h"
#include "ui/PatternMenu.h"
#include "ui/PdfSave.h"
#include "ui/PreviewSave.h"
#include "ui/Program.h"
#include "ui/RadioGroup.h"
#include "ui/Shell.h"
#include "ui/StitchEditing.h"
#include "ui/Unit2.h"
#include "ui/WindowPlacement.h"
#include "ui_Unit1.h"

namespace brodix {

namespace {

// What the stitch-size dialog tells of the colours, before the picture is read.
std::string ColoursText(const threads::PatternSettings& settings) {
    const std::string clean = settings.clean ? ", stray stitches cleaned" : "";
    if (settings.maxColours > 0)
        return "Colours: up to " + std::to_string(settings.maxColours) + clean + ".";
    if (settings.MergesRareColours())
        return "Colours: as in the picture, those of fewer than " +
               std::to_string(settings.minStitches) + " stitches merged" + clean + ".";
    return "Colours: as in the picture; a photograph of more than " + std::to_string(kMaxColors) +
           " gets up to " + std::to_string(kPhotoColourBudget) +
           ", stray stitches cleaned, snapped to threads when a catalogue is found.";
}

// The picture's own size for the dialog, or nothing when its header cannot tell: the read that
// follows the dialog then says why.
std::optional<StitchSize> PictureSizeOf(const std::string& file) {
    try {
        return ReadPhotoSize(file, PhotoOptions());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The free space of the left column under the status bar, where only hidden images lie.
const QRect kNoteArea(8, 440, 201, 128);

// The level choices as the stitch-size dialog names them: "Org / 4 / 4".
std::string LevelsText(const LevelChoices& levels) {
    std::string text;
    for (const int index : {levels.red, levels.green, levels.blue}) {
        const std::string item = kLevelItems.at(static_cast<std::size_t>(index));
        text.append(text.empty() ? "" : " / ").append(item.substr(item.find_first_not_of(' ')));
    }
    return text;
}

}  // namespace

TF_main* F_main = nullptr;

TF_main::TF_main(Shell& shell, QWidget* parent)
    : QWidget(parent),
      OpenDialog1(FileDialogKind::Open, PictureFileFilters(), ""),
      SaveDialog1(FileDialogKind::Save, PictureFileFilters(), kSaveDefaultExtension),
      OpenAnyDialog(FileDialogKind::Open, AnyPictureFileFilters(), ""),
      m_shell(shell),
      m_form(std::make_unique<Ui::TF_main>()),
      m_pdfSave(std::make_unique<PdfSave>()),
      m_oxsSave(std::make_unique<PatternFileSave>(MakeOxsSave())),
      m_previewSave(std::make_unique<PatternFileSave>(MakePreviewSave())) {
    RegisterResources();
    m_form->setupUi(this);
    Ui::TF_main& f = *m_form;
    BTN_MAKE = f.BTN_MAKE;
    BitBtn2 = f.BitBtn2;
    L_ColorCount = f.L_ColorCount;
    RG_ColorR = f.RG_ColorR;
    BTN_SAVE = f.BTN_SAVE;
    L_x = f.L_x;
    L_y = f.L_y;
    ScrollBox1 = f.ScrollBox1;
    ScrollBox2 = f.ScrollBox2;
    Label1 = f.Label1;
    BitBtn1 = f.BitBtn1;
    RG_ColorG = f.RG_ColorG;
    RG_ColorB = f.RG_ColorB;
    Label2 = f.Label2;
    CB_AUTO = f.CB_AUTO;
    StsBar = f.StsBar;

    setFont(DesignFont(font()));
    for (RadioGroup* group : {RG_ColorR, RG_ColorG, RG_ColorB})
        group->setFont(DesignFont(group->font()));
    StsBar->setFont(QApplication::font("QStatusBar"));
    AllowMaximiseButNoDragResize(*this);
    setWindowIcon(QIcon(QStringLiteral(":/brodix/icons/brodix-32.xpm")));

    f.Image1->SetImage(&Image1);
    f.Img_mark->SetImage(&Img_mark);
    f.Image2->SetImage(&Image2);
    f.IMG_BLK->SetImage(&IMG_BLK);
    f.IMG_save->SetImage(&IMG_save);
    f.Img_color->SetImage(&Img_color);
    f.Img_CS->SetImage(&Img_CS);
    ScrollBox1->WatchContents();
    ScrollBox2->WatchContents();

    // The blank cell is part of the window's design, like the captions above.
    Guard(m_shell, nullptr, [this] { m_workspace.ReadBlankCell(); });

    ClickButtonsOnEnter(*this);
    ConnectHandler(BTN_MAKE, &QPushButton::clicked, &TF_main::BTN_MAKEClick);
    ConnectHandler(BitBtn2, &QPushButton::clicked, &TF_main::BitBtn2Click);
    ConnectHandler(BTN_SAVE, &QPushButton::clicked, &TF_main::BTN_SAVEClick);
    ConnectHandler(BitBtn1, &QPushButton::clicked, &TF_main::BitBtn1Click);
    ConnectHandler(RG_ColorR, &RadioGroup::clicked, &TF_main::RG_ColorGClick);
    ConnectHandler(RG_ColorG, &RadioGroup::clicked, &TF_main::RG_ColorGClick);
    ConnectHandler(RG_ColorB, &RadioGroup::clicked, &TF_main::RG_ColorGClick);
    ConnectHandler(CB_AUTO, &QCheckBox::toggled, &TF_main::CB_AUTOClick);
    L_note = new QLabel(this);
    L_note->setObjectName(QStringLiteral("L_note"));
    L_note->setGeometry(kNoteArea);
    L_note->setWordWrap(true);
    L_note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    L_note->setTextFormat(Qt::PlainText);
    L_note->setFont(DesignFont(font()));
    m_patternMenu = new PatternMenu(*this, m_shell, m_patternSettings);
    m_stitchEditing = new StitchEditing(*this, m_shell);
    // Over the images and the rest of their scroll boxes alike, so that the menu is there before
    // the first chart too.
    InstallImageMenu(*this, {f.Img_color, f.Img_CS, ScrollBox1, ScrollBox2});

    // A picture that fails on its first drawing is reported once the paint is over: a box
    // opened from inside a paint would paint the window again from inside itself.
    ImageView::SetDrawFailureHandler([this](const std::string& message) {
        QMetaObject::invokeMethod(
            this,
            [this, message] { m_shell.ShowExceptionMessage(ExceptionBoxText(message), this); },
            Qt::QueuedConnection);
    });

    F_main = this;
    // Reported before the window is shown, with no window to own the box.
    Guard(m_shell, nullptr, [this] { FormCreate(this); });
}

TF_main::~TF_main() {
    ImageView::SetDrawFailureHandler(nullptr);
    // The zoom window lets go of the pattern, a member of this class.
    if (F_Zoom)
        F_Zoom->PatternMade(nullptr);
    // The image views are child widgets and outlive the images they show, members of this
    // class; they let go of them first.
    for (ImageView* view : findChildren<ImageView*>())
        view->SetImage(nullptr);
    if (F_main == this)
        F_main = nullptr;
}

template <typename Sender, typename Signal>
void TF_main::ConnectHandler(Sender* sender, Signal signal, void (TF_main::*handler)(QObject*)) {
    connect(sender, signal, this, [this, sender, handler] {
        Guard(m_shell, this, [this, sender, handler] { (this->*handler)(sender); });
    });
}

void TF_main::RunHandler(void (TF_main::*handler)(QObject*), QObject* sender) {
    Guard(m_shell, this, [this, sender, handler] { (this->*handler)(sender); });
}

LevelChoices TF_main::Levels() const {
    return LevelChoices{RG_ColorR->itemIndex(), RG_ColorG->itemIndex(), RG_ColorB->itemIndex()};
}

ImageView* TF_main::ViewOf(const TImage& image) const {
    for (ImageView* view : findChildren<ImageView*>())
        if (view->Image() == &image)
            return view;
    return nullptr;
}

void TF_main::FormCreate(QObject*) {
    m_workspace.LoadSymbolSheet(SymbolSheetPath(m_shell.ProgramFileName()));
}

void TF_main::BTN_MAKEClick(QObject*) {
    MakeChart();
}

namespace {

// The window's labels, status bar and zoom window as Make draws into them.
struct DrawTargets {
    explicit DrawTargets(TF_main& window)
        : colorCount(*window.L_ColorCount),
          width(*window.L_x),
          height(*window.L_y),
          status(*window.StsBar),
          // Without a zoom window (never the case once started) Make updates a stand-in.
          zoom(F_Zoom ? F_Zoom->MakeTarget()
                      : ZoomTarget{noZoomImage, noZoomWidth, noZoomHeight, 4}) {}
    WorkspaceCaptions Captions() { return {colorCount, width, height, status}; }

    LabelCaption colorCount;
    LabelCaption width;
    LabelCaption height;
    StatusCaption status;
    TImage noZoomImage;
    StringCaption noZoomWidth;
    StringCaption noZoomHeight;
    ZoomTarget zoom;
};

}  // namespace

MakeResult TF_main::MakeChart(bool takePhotoDefaults) {
    m_makeDeclined = Image1.Picture().HasGraphic() && !MayLoseChanges(false);
    if (m_makeDeclined)
        return MakeResult::Refused;
    m_levelsAsked = Levels();
    emit MakeStarted();
    if (!Image1.Picture().HasGraphic())
        return MakeResult::NoPicture;
    DrawTargets targets(*this);
    StatusCaption& status = targets.status;
    ShellMessages messages(m_shell, this);
    status.SetText("Making...");
    PatternRequest request;
    request.levels = Levels();
    request.settings = m_patternSettings;
    request.pictureName = m_workspace.PictureName();
    request.title = m_workspace.PictureTitle();
    request.photo = takePhotoDefaults || m_photoOpened;
    request.ownThreads = m_chartThreads;
    PatternResult result = MakePattern(Image1, request);
    if (const auto* refusal = std::get_if<PatternRefusal>(&result)) {
        messages.ShowMessage(refusal->text, refusal->title);
        status.SetText("");
        return MakeResult::Refused;
    }
    MadePattern& made = std::get<MadePattern>(result);
    m_workspace.Draw(made.pattern.Stitches(), targets.Captions(), targets.zoom);
    m_editor.emplace(std::move(made.pattern));
    m_stitchEditing->PatternMade();
    if (ImageView* legend = ViewOf(Img_color))
        legend->SetMark(QRect());
    if (F_Zoom)
        F_Zoom->PatternMade(CurrentPattern());
    if (!made.photoDefaultsNote.empty()) {
        m_patternMenu->PhotoDefaultsTaken(CurrentPattern()->Settings());
        ShowNote(made.photoDefaultsNote + " The pattern menu's Colour budget charts it otherwise.");
    }
    ShowChoices();
    return MakeResult::Done;
}

void TF_main::RedrawPattern() {
    if (!m_editor)
        return;
    DrawTargets targets(*this);
    // The status bar is Make's: a change by hand leaves what it says.
    const QString said = StsBar->currentMessage();
    const PatternEditor::Touched& touched = m_editor->LastTouched();
    if (touched.allRows) {
        m_workspace.Draw(m_editor->Document().Stitches(), targets.Captions(), targets.zoom);
    } else {
        // Only the cells, the preview's pixels and the counts that changed.
        std::vector<int> rows = touched.rows;
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        m_workspace.DrawStitches(m_editor->Document().Stitches(), touched.stitches, rows,
                                 targets.Captions(), targets.zoom);
    }
    if (!said.isEmpty())
        StsBar->showMessage(said);
    if (F_Zoom)
        F_Zoom->PatternChanged();
}

void TF_main::ForgetChanges() {
    // The pattern stays until the next Make replaces it; its changes are no longer asked about.
    if (m_editor) {
        Pattern pattern = m_editor->Document();
        m_editor.emplace(std::move(pattern));
    }
}

bool TF_main::MayLoseChanges(bool unsavedOnly) {
    if (!m_editor)
        return true;
    const int changes = m_editor->ChangesInEffect();
    if (changes == 0 || (unsavedOnly && m_editor->SavedNow()))
        return true;
    const std::string lost = std::to_string(changes) + (changes == 1 ? " change" : " changes") +
                             " made by hand will be lost.";
    return unsavedOnly
               ? m_shell.AskYesNo(
                     "The pattern has changes made by hand that are not saved "
                     "as OXS: " +
                         lost + " Go on?",
                     kApplicationTitle, this)
               : m_shell.AskYesNo("Make again from the picture? " + lost, kApplicationTitle, this);
}

void TF_main::closeEvent(QCloseEvent* event) {
    if (MayLoseChanges(true))
        event->accept();
    else
        event->ignore();
}

void TF_main::ApplyChoices() {
    if (m_editor) {
        m_editor->ChangeChoices(m_patternSettings);
        if (F_Zoom)
            F_Zoom->PatternChanged();
    }
    ShowChoices();
}

void TF_main::ShowNote(const std::string& text) {
    m_note = text;
    ShowChoices();
}

void TF_main::ShowChoices() {
    const QString text = QString::fromStdString(NoteText());
    // A file's path wraps at its folders too, not only at spaces.
    QString shown = text;
    shown.replace(QLatin1Char('/'), QStringLiteral("/\u200b"));
    L_note->setText(shown);
    // Longer or wider than the area holds: the tooltip has it all.
    const QRect needed = L_note->fontMetrics().boundingRect(
        QRect(0, 0, L_note->width(), 100000), Qt::TextWordWrap | Qt::AlignLeft, shown);
    const bool fits = needed.height() <= L_note->height() && needed.width() <= L_note->width();
    L_note->setToolTip(fits ? QString() : text);
}

std::string TF_main::NoteText() const {
    const std::string choices = threads::PatternChoicesLine(m_patternSettings);
    if (choices.empty() || m_note.empty())
        return choices + m_note;
    return choices + "\n" + m_note;
}

void TF_main::BitBtn2Click(QObject*) {
    if (!MayLoseChanges(true) || !OpenDialog1.Execute(m_shell, this))
        return;
    m_workspace.LoadPicture(OpenDialog1.FileName());
    ForgetChanges();
    m_photoOpened = false;
    m_chartThreads.clear();
    ShowNote({});
    MakeChart();
}

// "Open Any Picture...": a PNG, JPEG, GIF or BMP picture of any size, fitted to a stitch size,
// or an OXS chart at its own size, then the steps of Load Picture: both images take the picture
// and Make runs once. A photograph that Make would refuse for its colours takes the photo
// defaults, which the pattern menu then shows and the status bar tells.
void TF_main::OpenAnyPictureClick(QObject*) {
    if (!MayLoseChanges(true) || !OpenAnyDialog.Execute(m_shell, this))
        return;
    const std::string file = OpenAnyDialog.FileName();
    // A chart keeps its own size: fitting would blend its stitches into colours it never had.
    const PictureSource source{file, std::nullopt};
    if (ReaderFor(source, true) == PictureReader::Oxs) {
        const OpenedPicture chart = OpenPicture(m_workspace, source, PictureReader::Oxs, {});
        ForgetChanges();
        m_photoOpened = false;
        m_chartThreads = chart.ownThreads;
        ShowNote(chart.leftOutNote);
        MakeChart();
        return;
    }
    const bool photo = IsPhotoFile(file);
    const std::optional<StitchSizeAnswer> answer = m_shell.RunStitchSizeDialog(
        {AnyPictureSize, PictureSizeOf(file), m_patternSettings.floss.fabricCount,
         ColoursText(m_patternSettings), LevelsText(Levels()), !photo},
        this);
    if (!answer)
        return;
    AnyPictureSize = answer->size;
    PhotoOptions options;
    options.fit = answer->size;
    const OpenedPicture opened = OpenPicture(m_workspace, source, PictureReader::Photo, options);
    ForgetChanges();
    if (!answer->keepLevels) {
        // Set without a Make of their own: the one below charts the picture.
        for (RadioGroup* group : {RG_ColorR, RG_ColorG, RG_ColorB}) {
            const QSignalBlocker quiet(group);
            group->setItemIndex(0);
        }
    }
    m_photoOpened = opened.photo;
    m_chartThreads.clear();
    ShowNote({});
    MakeChart();
}

void TF_main::BTN_SAVEClick(QObject*) {
    if (!Image1.Picture().HasGraphic())
        return;
    if (!SaveDialog1.Execute(m_shell, this))
        return;
    LabelCaption width(*L_x);
    LabelCaption height(*L_y);
    LabelCaption colorCount(*L_ColorCount);
    StatusCaption status(*StsBar);
    SavePattern(SaveDialog1.FileName(), m_workspace, {colorCount, width, height, status});
}

void TF_main::SavePdfClick(QObject*) {
    Guard(m_shell, this, [this] {
        const std::string written = m_pdfSave->Run(
            m_shell, this, CurrentPattern(), m_workspace.SymbolSheet(), SaveDialog1.FileName());
        if (!written.empty())
            ShowWritten(written);
    });
}

void TF_main::ShowWritten(const std::string& fileName) {
    ShowNote("Written: " + fileName);
}

void TF_main::SaveOxsClick(QObject*) {
    Guard(m_shell, this, [this] {
        const std::string written =
            m_oxsSave->Run(m_shell, this, CurrentPattern(), SaveDialog1.FileName());
        if (!written.empty()) {
            m_editor->MarkSaved();
            ShowWritten(written);
        }
    });
}

void TF_main::SavePreviewClick(QObject*) {
    Guard(m_shell, this, [this] {
        const std::string written =
            m_previewSave->Run(m_shell, this, CurrentPattern(), SaveDialog1.FileName());
        if (!written.empty())
            ShowWritten(written);
    });
}

void TF_main::BitBtn1Click(QObject*) {
    if (!Image1.Picture().HasGraphic() || !F_Zoom)
        return;
    // The active window is normally this one, whose button was pressed.
    const QWidget* active = QApplication::activeWindow();
    FollowMonitorOf(*F_Zoom, active && active != F_Zoom ? active : this);
    F_Zoom->show();
    F_Zoom->raise();
    F_Zoom->activateWindow();
}

void TF_main::RG_ColorGClick(QObject*) {
    if (!CB_AUTO->isChecked()) {
        m_levelsAsked = Levels();
        return;
    }
    if (MakeChart() == MakeResult::Refused && m_makeDeclined) {
        // Kept by hand: the levels go back to those the chart on screen was asked with.
        const int before[] = {m_levelsAsked.red, m_levelsAsked.green, m_levelsAsked.blue};
        int channel = 0;
        for (RadioGroup* group : {RG_ColorR, RG_ColorG, RG_ColorB}) {
            const QSignalBlocker quiet(group);
            group->setItemIndex(before[channel++]);
        }
    }
}

void TF_main::CB_AUTOClick(QObject*) {
    if (CB_AUTO->isChecked() && MakeChart() == MakeResult::Refused && m_makeDeclined) {
        const QSignalBlocker quiet(CB_AUTO);
        CB_AUTO->setChecked(false);
    }
}

}  // namespace brodix
