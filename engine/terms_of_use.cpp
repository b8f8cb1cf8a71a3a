#include "engine/terms_of_use.h"

namespace lexaro {

namespace {

constexpr std::u16string_view kTermsOfUse =
    u"Lexaro is provided as is, free of charge, for your own personal reading "
    u"practice.\r\n"
    u"You may install it on as many of your own computers as you like.\r\n\r\n"
    u"There is no warranty of any kind, whether stated or implied, including any "
    u"warranty that the program is fit for a particular purpose.\r\n"
    u"You use Lexaro entirely at your own risk.\r\n\r\n"
    u"The authors shall not be liable for any loss or damage arising from the use of "
    u"this program or from being unable to use it, even if they were told that such "
    u"loss or damage might occur. This includes lost time, lost work and lost or "
    u"damaged data of any kind.\r\n\r\n"
    u"Lexaro reads only the files you open yourself, writes no files, keeps no "
    u"settings and sends nothing to anyone. Whatever you read with it stays on your "
    u"computer and is forgotten as soon as you close the program.\r\n\r\n"
    u"You may copy and share Lexaro unchanged with friends, family and colleagues, as "
    u"long as these terms stay with it and nobody is charged for it. Thank you for "
    u"reading with Lexaro!\r\n";

}  // namespace

std::u16string_view TermsOfUseText() noexcept {
    return kTermsOfUse;
}

}  // namespace lexaro
