// A user at the password dialogs, over the scripted toolkit: answers the repeat dialog of the
// main window and the question before a weak password encrypts, and counts how often each came.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <string>

#include "crypto/passphrase.h"
#include "toolkit/scripted_toolkit.h"
#include "ui/texts.h"

namespace vexmora::test {

// Deterministic bytes for the passphrase generator (not the program's source).
inline RandomFill SeededRandom(std::uint32_t seed) {
    auto engine = std::make_shared<std::mt19937>(seed);
    return [engine](std::span<std::uint8_t> bytes) {
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>((*engine)());
        }
        return true;
    };
}

struct PasswordAnswers {
    // What is typed into the repeat dialog: by default the password of `field` (a user who
    // types it right); std::nullopt in `repeat` with `cancel` set answers Cancel instead.
    std::optional<std::u16string> repeat;
    bool cancel = false;
    bool generate = false;  // clicks Generate before OK
    int weakAnswer = kAnswerYes;

    int repeatsAsked = 0;
    int weakAsked = 0;

    // Answers from now on, for the main window whose password field is `field`.
    void Install(ScriptedToolkit& toolkit, Identity field) {
        toolkit.onIdle = [this, field](ScriptedToolkit& t) {
            const Identity dialog = t.OpenDialog();
            if (dialog == kNoIdentity || dialog == answered_) {
                return;
            }
            answered_ = dialog;
            ++repeatsAsked;
            if (cancel) {
                t.QueueEvent(ControlEvent,
                             t.FindControl(dialog, ControlKind::PushButton, texts::kCancelButton),
                             dialog);
                return;
            }
            if (generate) {
                t.QueueEvent(ControlEvent,
                             t.FindControl(dialog, ControlKind::PushButton, texts::kGenerateButton),
                             dialog);
            } else {
                t.SetText(t.FindControl(dialog, ControlKind::PasswordField),
                          repeat.value_or(t.controls().at(field).text));
            }
            t.QueueEvent(ControlEvent,
                         t.FindControl(dialog, ControlKind::PushButton, texts::kOkButton), dialog);
        };
        toolkit.answerBox = [this](const ScriptedToolkit::MessageBox& box) -> std::optional<int> {
            if (box.caption != texts::kWarningCaption) {
                return std::nullopt;
            }
            ++weakAsked;
            return weakAnswer;
        };
    }

  private:
    Identity answered_ = kNoIdentity;
};

}  // namespace vexmora::test
