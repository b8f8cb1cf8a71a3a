// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Formulas as a line of text a reader can follow, in reading order: scripts as _{…} and ^{…},
// fractions as (a)/(b), roots as √(…), sums and integrals with their limits, matrices row by row
// ("1 0; 0 1"). Relations and operators stand apart at the top level ("f(x) = a_0 + b").
//
//   MathMlText: a MathML <math> element (EPUB, HTML, ODT formula objects), in any namespace or
//   none. Its alttext is used only when the markup itself holds no text.
//   OmmlText: an Office Math <m:oMath> element (Word).
//
// Nesting deeper than a formula needs is read as plain text, without recursion.

#include <libxml/tree.h>

#include <string>

namespace lexaro::documents {

[[nodiscard]] std::string MathMlText(const xmlNode* math);

[[nodiscard]] std::string OmmlText(const xmlNode* oMath);

}  // namespace lexaro::documents
