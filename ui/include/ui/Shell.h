#pragma once

#include <optional>
#include <string>
#include <vector>

#include "photo/Photo.h"
#include "raster/Color.h"
#include "threads/ThreadCatalogue.h"
#include "ui/SettingsFile.h"

class QRect;
class QString;
class QWidget;

namespace brodix {

enum class FileDialogKind { Open, Save };

// One entry of a file dialog's filter list: what the user sees and the pattern it lists.
struct FileFilter {
    std::string name;
    std::string pattern;
};

// What a file dialog starts with, and what a confirmed one hands back.
struct FileChoice {
    std::string fileName;  // full path; empty the first time
    int filterIndex = 0;   // into the dialog's filter list
};

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::vector<FileFilter> filters;
    FileChoice start;
    std::string title;  // empty: the dialog's own ("Open", "Save As")
};

// What the stitch-size dialog shows besides the box it asks for.
struct StitchSizeRequest {
    StitchSize start;                       // the box offered
    std::optional<StitchSize> pictureSize;  // in pixels, when the picture's header tells
    double fabricCount = 0;                 // for the finished size
    std::string colours;                    // what becomes of the picture's colours
    std::string levels;                     // the level choices in force: "Org / 4 / 4"
    bool keepLevels = true;                 // the tick box's start: unticked for photographs
};

// What a confirmed stitch-size dialog hands back: the box, and whether the level choices are
// kept (else they are set to Org).
struct StitchSizeAnswer {
    StitchSize size;
    bool keepLevels = true;
};

// A whole number asked for in a small dialog.
struct NumberRequest {
    std::string title;
    std::string label;
    int value = 0;
    int low = 0;
    int high = 0;
};

// What the thread dialog of "Change Thread..." and "Add Thread..." shows: the catalogue's
// threads nearest the colour first, each with its ΔE00, and a line saying what the chosen
// thread does to the colour.
struct ThreadChoiceRequest {
    std::string title;
    std::string note;
    TColor colour = 0;
    std::vector<threads::ThreadDistance> threads;
};

// Everything the windows ask of the desktop: the dialogs, the message boxes and the program's
// own path. The windows talk only to this, so the tests can answer in the user's place.
class Shell {
  public:
    virtual ~Shell() = default;

    // Runs a file dialog over owner; nothing when the user cancels.
    virtual std::optional<FileChoice> RunFileDialog(const FileDialogRequest& request,
                                                    QWidget* owner) = 0;
    // The program's own message box: text and title, an OK button, no icon.
    virtual void ShowProgramMessage(const std::string& text, const std::string& title,
                                    QWidget* owner) = 0;
    // The exception message box; text is shown as given (the caller has added its ".").
    virtual void ShowExceptionMessage(const std::string& text, QWidget* owner) = 0;
    // The full path of the running program's file.
    virtual std::string ProgramFileName() = 0;
    // The stitch-size dialog of "Open Any Picture...", starting at request.start; nothing when
    // the user cancels. A shell without this dialog takes the size and the levels offered.
    virtual std::optional<StitchSizeAnswer> RunStitchSizeDialog(const StitchSizeRequest& request,
                                                                QWidget* owner);
    // Asks for a whole number from request.low to request.high; nothing when the user cancels.
    // A shell without this dialog cancels.
    virtual std::optional<int> AskNumber(const NumberRequest& request, QWidget* owner);
    // Asks for a colour, starting at start, under title; nothing when the user cancels. A shell
    // without this dialog cancels.
    virtual std::optional<TColor> AskColour(const std::string& title, TColor start, QWidget* owner);
    // Asks for a thread of request.threads (typing filters them by number or name); nothing
    // when the user cancels. A shell without this dialog cancels.
    virtual std::optional<threads::Thread> ChooseThread(const ThreadChoiceRequest& request,
                                                        QWidget* owner);
    // Asks a question to be answered Yes or No, under title. A shell without this dialog
    // answers Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& title, QWidget* owner);
    // The program's settings kept between runs, by key; nothing when none is stored. A shell
    // without a store keeps nothing, so that every start is a first start.
    virtual std::optional<std::string> StoredSetting(const std::string& key);
    virtual void StoreSetting(const std::string& key, const std::string& value);
};

// The shell of a real desktop: Qt dialogs and message boxes, and the settings file, read
// once when it is made.
class QtShell final : public Shell {
  public:
    QtShell();
    std::optional<FileChoice> RunFileDialog(const FileDialogRequest& request,
                                            QWidget* owner) override;
    void ShowProgramMessage(const std::string& text, const std::string& title,
                            QWidget* owner) override;
    void ShowExceptionMessage(const std::string& text, QWidget* owner) override;
    std::string ProgramFileName() override;
    std::optional<StitchSizeAnswer> RunStitchSizeDialog(const StitchSizeRequest& request,
                                                        QWidget* owner) override;
    std::optional<int> AskNumber(const NumberRequest& request, QWidget* owner) override;
    std::optional<TColor> AskColour(const std::string& title, TColor start,
                                    QWidget* owner) override;
    std::optional<threads::Thread> ChooseThread(const ThreadChoiceRequest& request,
                                                QWidget* owner) override;
    bool AskYesNo(const std::string& text, const std::string& title, QWidget* owner) override;
    std::optional<std::string> StoredSetting(const std::string& key) override;
    void StoreSetting(const std::string& key, const std::string& value) override;

  private:
    SettingsFile m_settings;
};

// The application title: the taskbar entry and the exception message box's title.
inline constexpr const char* kApplicationTitle = "Brodix";

// A dialog of height dialogHeight and width dialogWidth placed over screen: centred across,
// its top one third down the height left free.
QRect DialogPlacement(const QRect& screen, int dialogWidth, int dialogHeight);

// The outer width a window needs for its whole title in a window manager's title bar: the
// title in a bold title font, with room for an icon and three buttons.
int TitleBarWidth(const QString& title);

}  // namespace brodix
