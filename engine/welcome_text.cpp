#include "engine/welcome_text.h"

namespace lexaro {

namespace {

constexpr std::u16string_view kWelcomeText =
    u"Welcome to Lexaro... the place where Reading is easier, faster, and more "
    u"efficient!\r\n\r\n"
    u"Lexaro presents your text in a one-word-at-a-time display, centered inside the "
    u"band above.  Your eyes stay still while the words arrive, so you never lose your"
    u" place or wander back across the page.\r\n\r\n"
    u"Pick a pace with the bar at top left, anywhere between a relaxed stroll and a "
    u"genuine sprint, then press Start or Enter.  Pause remembers your place, Start "
    u"continues from there, and Stop or Escape returns to the beginning.\r\n\r\n"
    u"Lexaro also understands punctuation.  After a comma, semicolon or hyphen it "
    u"waits one extra beat, and after a full stop, question mark or exclamation mark "
    u"it waits two, giving every sentence room to breathe.\r\n\r\n"
    u"While a word is displayed, it is also highlighted in the text box below, so a "
    u"momentary glance downward tells you exactly where you are.\r\n\r\n"
    u"To read your own writing, open the document in its usual application, select "
    u"everything and copy it with Ctrl+C.  Then click inside this box, clear it and "
    u"paste with Ctrl+V, or simply type something here.\r\n\r\n"
    u"Choose the colours, typeface and letter size that suit you best, and when you're"
    u" ready, lean back, unwind and let the words come to you!\r\n";

}  // namespace

std::u16string_view WelcomeText() noexcept {
    return kWelcomeText;
}

}  // namespace lexaro
