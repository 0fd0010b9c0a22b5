#pragma once

// The windows driven offscreen through a scripted shell: the file dialogs answer from a
// script, the message boxes are recorded instead of shown.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "export_test_support.h"
#include "ui/Program.h"
#include "ui/Shell.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"

namespace brodix::testing {

struct ShownMessage {
    std::string text;
    std::string title;  // the program's message box only
};

class ScriptedShell final : public Shell {
  public:
    // Answers of the file dialogs, in order; an empty answer is a cancelled dialog.
    std::deque<std::optional<FileChoice>> answers;
    std::vector<FileDialogRequest> requests;
    std::vector<ShownMessage> programMessages;
    std::vector<std::string> exceptionMessages;
    std::string programFileName = std::string(BRODIX_BIN_DIR) + "/brodix";

    std::optional<FileChoice> RunFileDialog(const FileDialogRequest& request, QWidget*) override {
        requests.push_back(request);
        if (answers.empty()) {
            ADD_FAILURE() << "a file dialog opened that the test did not expect";
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowProgramMessage(const std::string& text, const std::string& title, QWidget*) override {
        programMessages.push_back({text, title});
    }
    void ShowExceptionMessage(const std::string& text, QWidget*) override {
        exceptionMessages.push_back(text);
    }
    std::string ProgramFileName() override { return programFileName; }
    // Answers of the number dialogs, in order; none left: cancelled.
    std::deque<int> numbers;
    std::optional<int> AskNumber(const NumberRequest&, QWidget*) override {
        if (numbers.empty())
            return std::nullopt;
        const int answer = numbers.front();
        numbers.pop_front();
        return answer;
    }
    // Answers of the colour dialogs, in order; none left: cancelled.
    std::deque<TColor> colours;
    std::optional<TColor> AskColour(const std::string&, TColor, QWidget*) override {
        if (colours.empty())
            return std::nullopt;
        const TColor answer = colours.front();
        colours.pop_front();
        return answer;
    }
    // What each stitch-size dialog was shown; it takes the size and the levels offered.
    std::vector<StitchSizeRequest> sizeRequests;
    std::optional<StitchSizeAnswer> RunStitchSizeDialog(const StitchSizeRequest& request,
                                                        QWidget*) override {
        sizeRequests.push_back(request);
        return StitchSizeAnswer{request.start, request.keepLevels};
    }
    // Answers of the thread dialogs, in order, and what each was shown; none left: cancelled.
    std::deque<threads::Thread> threadAnswers;
    std::vector<ThreadChoiceRequest> threadRequests;
    std::optional<threads::Thread> ChooseThread(const ThreadChoiceRequest& request,
                                                QWidget*) override {
        threadRequests.push_back(request);
        if (threadAnswers.empty())
            return std::nullopt;
        const threads::Thread answer = threadAnswers.front();
        threadAnswers.pop_front();
        return answer;
    }
    // Answers of the Yes/No questions, in order, and the questions; none left: Yes.
    std::deque<bool> yesNo;
    std::vector<std::string> questions;
    bool AskYesNo(const std::string& text, const std::string&, QWidget*) override {
        questions.push_back(text);
        if (yesNo.empty())
            return true;
        const bool answer = yesNo.front();
        yesNo.pop_front();
        return answer;
    }
    // The settings kept between runs: a new shell starts as after a run without threads.
    std::map<std::string, std::string> settings{{"pattern/threads", ""}};
    std::optional<std::string> StoredSetting(const std::string& key) override {
        const auto found = settings.find(key);
        return found == settings.end() ? std::nullopt : std::optional(found->second);
    }
    void StoreSetting(const std::string& key, const std::string& value) override {
        settings[key] = value;
    }

    void Answer(const std::string& fileName, int filterIndex = 0) {
        answers.push_back(FileChoice{fileName, filterIndex});
    }
    void Cancel() { answers.push_back(std::nullopt); }
};

// Offscreen, the windows lie on two monitors side by side, a large one on the left and a
// smaller one on the right, so that the tests can move windows between monitors.
inline void EnsureApplication() {
    if (QApplication::instance())
        return;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    TempDir folder;
    if (platform.isEmpty() || platform == "offscreen") {
        const std::string config = folder / "monitors.json";
        const std::string text = R"({"screens": [
            {"name": "left", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96},
            {"name": "right", "x": 1280, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96}
        ]})";
        WriteFileBytes(config, Bytes(text.begin(), text.end()));
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + config.c_str());
    }
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    InitializeApplication();
}

// A started program with a scripted shell, and a count of the runs of Make (clicks of
// "Make", by the user or from code).
class ProgramTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override { Start(); }

    void Start() {
        program.reset();
        program = std::make_unique<Program>(shell);
        // The sheet beside the test programs may not be built; these tests do not look at it.
        shell.exceptionMessages.clear();
        makes = 0;
        QObject::connect(&Main(), &TF_main::MakeStarted, [this] { ++makes; });
    }

    TF_main& Main() { return program->Main(); }
    TF_Zoom& Zoom() { return program->Zoom(); }

    // Writes a 24-bit BMP into the test's folder and returns its full name.
    std::string Picture(const std::string& name, int width, int height, const ColorAt& color) {
        const std::string path = folder / name;
        WriteFileBytes(path, BmpBytes(width, height, 24, color));
        return path;
    }
    std::string Picture(const std::string& name, int width, int height) {
        // Blocks of 10 x 10 stitches, each its own colour: 96 colours for 120 x 80.
        return Picture(name, width, height, [](int x, int y) {
            return RGB(static_cast<std::uint8_t>(x / 10 * 13),
                       static_cast<std::uint8_t>(y / 10 * 13),
                       static_cast<std::uint8_t>((x / 10 + y / 10) % 2 ? 200 : 40));
        });
    }
    void Load(const std::string& path, int filterIndex = 0) {
        shell.Answer(path, filterIndex);
        Main().BitBtn2->click();
    }

    TempDir folder;
    ScriptedShell shell;
    std::unique_ptr<Program> program;
    int makes = 0;
};

}  // namespace brodix::testing
