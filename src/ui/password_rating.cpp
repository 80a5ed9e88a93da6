#include "ui/password_rating.h"

#include <algorithm>
#include <cmath>

#include "crypto/password_strength.h"
#include "crypto/random.h"

namespace vexmora {
namespace {

constexpr double kMinute = 60;
constexpr double kHour = 60 * kMinute;
constexpr double kDay = 24 * kHour;
constexpr double kYear = 365.25 * kDay;
constexpr double kUnitSeconds[] = {1, kMinute, kHour, kDay, kYear, 100 * kYear};
constexpr double kMillennium = 1000 * kYear;

// The bar is full from this many guesses on: well inside the strong band.
constexpr double kFullBarLog10 = 25;

std::u16string Number(double count) {
    const auto whole = static_cast<unsigned long long>(count);
    std::u16string digits;
    for (unsigned long long n = whole; n != 0 || digits.empty(); n /= 10) {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
    }
    return digits;
}

BarState BarStateOf(StrengthBand band) {
    switch (band) {
        case StrengthBand::VeryWeak:
        case StrengthBand::Weak:
            return BarState::Error;
        case StrengthBand::Fair:
            return BarState::Warning;
        case StrengthBand::Strong:
            break;
    }
    return BarState::Normal;
}

}  // namespace

double AttackSeconds(double log10Guesses) {
    return std::pow(10.0, log10Guesses - std::log10(kAttackGuessesPerSecond));
}

std::u16string DurationText(double seconds, const texts::DurationLanguage& language) {
    if (!(seconds >= 1)) {  // NaN too
        return std::u16string(language.underASecond);
    }
    if (seconds >= kMillennium) {
        return std::u16string(language.millennia);
    }
    std::size_t unit = 0;
    while (unit + 1 < std::size(kUnitSeconds) && seconds >= kUnitSeconds[unit + 1]) {
        ++unit;
    }
    const double count = std::floor(seconds / kUnitSeconds[unit]);
    const texts::DurationWords& words = language.units[unit];
    if (count < 2) {
        return std::u16string(words.one);
    }
    return Number(count) + u" " + std::u16string(words.many);
}

namespace {

std::u16string LineOf(double log10Guesses) {
    return std::u16string(texts::kBandNames[static_cast<int>(BandOf(log10Guesses))]) +
           std::u16string(texts::kFoundIn) +
           DurationText(AttackSeconds(log10Guesses), texts::kDurationEnglish) +
           std::u16string(texts::kByGraphicsCards);
}

}  // namespace

std::u16string StrengthLine(std::u16string_view password) {
    return password.empty() ? std::u16string() : LineOf(PasswordLog10Guesses(password));
}

void StrengthDisplay::Show(Toolkit& toolkit, std::u16string_view password, bool generated) const {
    toolkit.ShowControl(bar, !password.empty());
    if (password.empty()) {
        toolkit.SetControlText(label, u"");
        return;
    }
    if (generated) {
        toolkit.SetControlText(label, texts::kGeneratedStrength);
        toolkit.SetProgressState(bar, BarState::Normal);
        toolkit.SetProgressPosition(bar, 100);
        return;
    }
    const double log10Guesses = PasswordLog10Guesses(password);
    toolkit.SetControlText(label, LineOf(log10Guesses));
    toolkit.SetProgressState(bar, BarStateOf(BandOf(log10Guesses)));
    // Even the weakest password shows a sliver of red, so that the bar is seen.
    toolkit.SetProgressPosition(
        bar, static_cast<std::int32_t>(std::clamp(log10Guesses / kFullBarLog10 * 100, 3.0, 100.0)));
}

bool MayEncryptWith(Toolkit& toolkit, std::u16string_view password) {
    const double log10Guesses = PasswordLog10Guesses(password);
    const StrengthBand band = BandOf(log10Guesses);
    if (band != StrengthBand::VeryWeak && band != StrengthBand::Weak) {
        return true;
    }
    const std::u16string question =
        std::u16string(texts::kWeakPasswordStart) +
        std::u16string(texts::kWeakBandNames[static_cast<int>(band)]) +
        std::u16string(texts::kWeakPasswordTime) +
        DurationText(AttackSeconds(log10Guesses), texts::kDurationGerman) +
        std::u16string(texts::kWeakPasswordEnd);
    return toolkit.ShowMessageBox(
               texts::kWarningCaption, question,
               kMessageBoxYesNo | kMessageBoxDefaultSecond | kMessageBoxWarning) == kAnswerYes;
}

RandomFill SystemRandomFill() {
    return [](std::span<std::uint8_t> bytes) {
        return OpenSystemRandom() && SystemRandomBytes(bytes);
    };
}

}  // namespace vexmora
