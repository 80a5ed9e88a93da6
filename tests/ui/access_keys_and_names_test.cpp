// Every window of the program, built over the scripted toolkit as it is shown, as a keyboard user
// and a screen reader meet it: within a window no two labels or buttons share an access key, each
// label and button has one unless Enter or Esc stands for it, a label's key leads to a field, and
// every control whose text does not name it (the fields, the editor, the bars) has a name and a
// label with text created right before it, where screen readers look for one.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "password_answers.h"
#include "toolkit/scripted_toolkit.h"
#include "ui/dpi.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"
#include "ui/prompt_window.h"
#include "ui/repeat_dialog.h"

namespace vexmora {
namespace {

using Control = ScriptedToolkit::Control;

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

// The letter after the first "&" that is not doubled ("&&" shows one "&"), in upper case; 0 for
// a text without an access key.
char16_t AccessKey(std::u16string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'&') {
            if (text[i + 1] != u'&') {
                const char16_t key = text[i + 1];
                return key >= u'a' && key <= u'z' ? static_cast<char16_t>(key - u'a' + u'A') : key;
            }
            ++i;
        }
    }
    return 0;
}

bool HasOwnName(ControlKind kind) {
    return kind != ControlKind::PasswordField && kind != ControlKind::ReadOnlyField &&
           kind != ControlKind::RichEdit && kind != ControlKind::ProgressBar;
}

bool IsLabel(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::FieldLabel ||
           kind == ControlKind::CentredLabel;
}

// A user who has typed a password into `field`, so that the strength line says something.
void Type(ScriptedToolkit& t, Identity field) {
    t.SetText(field, u"Summer2024!");
    t.QueueEvent(ControlEvent, field);
}

// A name with "&" in the sentence: a label that shows the program's data has no access key.
FileSelection Selection(Direction direction) {
    return {direction,
            {{u"C:\\Tom & Jerry.txt", 10}},
            u"Tom & Jerry.txt",
            {u"C:\\Tom & Jerry.txt"},
            u""};
}

Identity DialogOf(const ScriptedToolkit& t, Identity owner) {
    for (const auto& [identity, window] : t.windows()) {
        if (window.args.owner == owner) {
            return identity;
        }
    }
    return kNoIdentity;
}

struct Row {
    const char* window;
    // Builds the window over the toolkit and returns it.
    std::function<Identity(ScriptedToolkit&)> build;
};

const Row kWindows[] = {
    {"main window",
     [](ScriptedToolkit& t) {
         auto main = BuildMainWindow(t, 0, 0, 800, 600, nullptr, u"vexmora.exe");
         Type(t, main->controls().passwordField);
         HandleMainEvent(*main, t.WaitEvent(0));
         return main->controls().window;
     }},
    {"prompt that encrypts",
     [](ScriptedToolkit& t) {
         auto prompt = OpenPromptWindow(t, Selection(kEncrypt), test::SeededRandom(1));
         Type(t, prompt->controls().passwordField);
         prompt->Handle(t.WaitEvent(0));
         return prompt->controls().window;
     }},
    {"prompt that decrypts",
     [](ScriptedToolkit& t) {
         return OpenPromptWindow(t, Selection(kDecrypt), test::SeededRandom(1))->controls().window;
     }},
    {"repeat dialog",
     [](ScriptedToolkit& t) {
         const Identity owner = t.OpenWindow({.title = u"owner"});
         // Closed as its close box does, once nothing more happens.
         AskPasswordAgain(t, owner, test::SeededRandom(1));
         return DialogOf(t, owner);
     }},
    {"progress window of a job",
     [](ScriptedToolkit& t) { return OpenProgressWindow(t, u"notes.txt")->window(); }},
    {"progress window of a batch",
     [](ScriptedToolkit& t) {
         auto progress = OpenProgressWindow(t);
         progress->ShowFile(u"b.txt", 2, 3);
         return progress->window();
     }},
};

TEST(AccessKeysAndNames, HoldInEveryWindow) {
    for (const Row& row : kWindows) {
        SCOPED_TRACE(row.window);
        ScriptedToolkit t;
        InitDpiScaling(t);
        const Identity window = row.build(t);
        ASSERT_NE(window, kNoIdentity);
        const ScriptedToolkit::Window& w = t.windows().at(window);
        std::map<ShortcutKey, Identity> shortcuts = w.shortcuts;
        const auto standsFor = [&](Identity control) {
            return shortcuts[ShortcutKey::Enter] == control ||
                   shortcuts[ShortcutKey::Escape] == control;
        };
        std::map<char16_t, std::u16string> keys;
        for (std::size_t i = 0; i < w.controls.size(); ++i) {
            const Control& control = t.controls().at(w.controls[i]);
            const ControlKind kind = control.args.kind;
            SCOPED_TRACE("control " + std::to_string(i) + " \"" + Narrow(control.text) + "\"");
            const bool keyed = kind == ControlKind::PushButton || kind == ControlKind::FieldLabel ||
                               kind == ControlKind::GroupBox;
            const char16_t key = keyed ? AccessKey(control.text) : 0;
            if ((kind == ControlKind::PushButton || kind == ControlKind::FieldLabel) &&
                !standsFor(w.controls[i])) {
                EXPECT_NE(key, 0) << "no access key";
            }
            if (key != 0) {
                EXPECT_TRUE(keys.emplace(key, control.text).second)
                    << "the key of \"" << Narrow(keys[key]) << "\" again";
            }
            if (kind == ControlKind::FieldLabel) {
                ASSERT_LT(i + 1, w.controls.size()) << "a label for nothing";
                EXPECT_FALSE(HasOwnName(t.controls().at(w.controls[i + 1]).args.kind))
                    << "its key leads to no field";
            }
            if (kind == ControlKind::PushButton || kind == ControlKind::GroupBox) {
                EXPECT_NE(control.text.find_first_not_of(u'&'), std::u16string::npos)
                    << "a button or frame without words";
            }
            if (HasOwnName(kind)) {
                continue;
            }
            EXPECT_FALSE(control.name.empty()) << "no name for screen readers";
            ASSERT_GT(i, 0u);
            const Control& before = t.controls().at(w.controls[i - 1]);
            EXPECT_TRUE(IsLabel(before.args.kind)) << "no label right before it";
            EXPECT_FALSE(before.text.empty()) << "its label says nothing";
        }
    }
}

}  // namespace
}  // namespace vexmora
