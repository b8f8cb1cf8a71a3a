// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Every threshold the PDF layout (documents/pdf_lines.h) decides by, in one place, so that tuning
// it is changing a number here and watching `lexaro-extract --layout FILE` (which prints each
// line's box and the reason for each break or drop) rather than hunting for literals in five
// stages. The defaults are the values the layout was tuned with on real documents; the comment on
// each says its unit and what would go wrong with a much smaller or larger value.
//
// Units: "em" is the height of a line's typical word (its type size, near enough), "pt" are PDF
// points (1/72 inch) with y growing down the page, and a "step" is how far a line's baseline lies
// below the one before it.
//
// The same idea as poppler's block of named constants at the top of its text output device and
// pdfminer's LAParams (word_margin, line_margin, ...): the layout's judgement is a handful of
// ratios to the type size, and each deserves a name and a reason. Where ours has a counterpart
// there, it says so.

namespace lexaro::documents {

struct PdfLayoutParams {
    // --- Lines (documents/pdf_lines.cpp) ---

    // A gap between two words wider than this, in ems of the line so far, is a space even when
    // poppler saw none: separate text runs are often placed apart without a space character.
    // Kerned letters of one word sit far closer than a quarter em. (poppler breaks words at a
    // tenth of an em, pdfminer's word_margin is a tenth of a character: both work on characters,
    // we on poppler's words, whose own gaps are already judged.)
    double spaceGap = 0.25;
    // Turned words (text running up or down the page) are dropped when they are fewer than this
    // share of the page's words: then they are a stamp or a side label in the margin. A page that
    // is mostly turned (a landscape table) keeps them.
    double turnedShareDropped = 0.25;

    // --- Note marks (documents/pdf_lines.cpp) ---

    // A note mark is a number or symbol no taller than this share of its line's em (LaTeX sets
    // marks at 0.7 of the text; Word's boxes for them can be 0.9 of it, as poppler measures the
    // smaller font's whole box); its raise below is what tells it from a figure of the text...
    double superscriptHeight = 0.95;
    // ...with its bottom raised at least this many ems above the line's base (marks sit 0.25-0.6
    // em up; a figure of the text, or a smaller one on the base line, is not raised at all).
    double superscriptRaise = 0.2;
    // A mark belongs to the word beside it when the gap is at most this many ems of that word:
    // marks touch their word (pdf papers: 0 to 0.1 em); a word a space away is not marked.
    double markGap = 0.3;
    // A mark after a word follows at least this many letters: after a figure or a single letter a
    // raised number is a power ("10²", "x²"), after "cm" a unit's.
    int markAfterLetters = 3;

    // --- Blocks (documents/pdf_blocks.cpp) ---

    // A line is "just below" the one before it, and so in the same block, when its baseline lies
    // this many ems of the smaller line below, at the least...
    double blockStepMin = 0.5;
    // ...and at most this many ems of the larger line (a heading's space above its text).
    // Further down is a jump across the page; above is a new column. (pdfminer's line_margin,
    // half a line's height between boxes, plays this part there.)
    double blockStepMax = 4;

    // --- Reading order (documents/pdf_order.cpp) ---

    // Two blocks share width across the page (and the higher is read first) when they overlap by
    // more than this many pt; a block is left of another when it ends at most this many pt past the
    // other's start. Boxes of one column's blocks differ by a point or so at their edges (a
    // hyphen or a quote set into the margin); a gutter between columns is 10 pt or more.
    double orderSlack = 2;
    // Pages with more blocks than this keep poppler's order: a page of scattered labels (a map, a
    // chart) has no columns to read by, and ordering takes a time that grows with the cube of
    // the blocks.
    int orderMostBlocks = 400;
    // A block of short lines (see columnLineEms) within this many ems of the one before, of short
    // lines too, is read with it in poppler's order: a table's cells, a figure's labels, a
    // formula's pieces (a table's columns stand 2 to 5 ems apart).
    double orderNearEms = 6;
    // Only a page with columns is reordered: one with two blocks side by side that have at least
    // this many lines of running text each (a table's cells have a line or two)...
    int columnBlockLines = 5;
    // ...a line of running text being at least this many ems wide (a column of a newspaper is
    // some 15 ems, of a paper 20 or more; a table's cells, a figure's labels and a form's fields
    // are mostly shorter).
    double columnLineEms = 12;

    // --- Type sizes (documents/pdf_paragraphs.cpp, pdf_asides.cpp) ---

    // Two heights are the same size of type when they differ by at most this share of the larger:
    // words of one font differ a little in height (accents, descenders), a heading's by a lot.
    double sameSizeShare = 0.2;
    // Two lines whose type differs by more than this many pt, and by more than the share below of
    // the larger, are in different paragraphs however close the share above finds them: a title
    // set a size or two above its authors' names (12.9 and 10.7 pt). A formula's line is taller
    // than the text around it by a point or so; display type wanders by a few points (58 and 55).
    double headingSizeStep = 1.5;
    double headingSizeShare = 0.1;
    // Sizes are counted in buckets of 1/this pt (half points): close enough to merge 10.9 and 11.0,
    // fine enough to tell 9 pt notes from 10 pt body.
    double sizeBucketsPerPoint = 2;

    // --- The usual step (documents/pdf_paragraphs.cpp) ---
    // For each size of type, the most common step between consecutive lines of one block: the
    // document's line spacing. Steps are counted when they lie within these bounds, in ems of the
    // line above (closer is an overlap, a formula's parts; further is a gap, not spacing)...
    double usualStepMin = 0.5;
    double usualStepMax = 3;
    // ...rounded to 1/this pt, so that 13.98 and 14.02 count as one spacing.
    double usualStepPerPoint = 4;

    // --- Paragraphs (documents/pdf_paragraphs.cpp) ---

    // Inside a block, a step wider than this many usual steps opens a new paragraph: the space
    // between paragraphs. One and a quarter tolerates baselines that wander by a point or two.
    double paragraphGap = 1.25;
    // For a size of type with no usual step (a lone line), a step wider than this many ems.
    double paragraphGapWithoutUsual = 2;
    // A line ending a sentence is a paragraph's last when it stops short of this share of its
    // block's width: ragged lines fall short by a word or so, a last line by much more.
    double shortLineShare = 0.8;
    // ...or when the next line starts further right than this many ems: an indented first line.
    double indent = 0.8;
    // A line that left room for the next line's first word and this many ems more, followed at
    // its indent by a line that starts like a capital, is a line of its own (a verse's, an
    // address's, a list item): running text breaks where the next word does not fit. The room is
    // measured to the longer of the lines just above and below, or to the block's widest line of
    // its size; a line that ends within this many ems of its neighbours is justified text. A
    // word's width is estimated from its share of its line's characters, which a wide or narrow
    // letter may put off by half an em.
    double fitSlackEms = 1;

    // --- Headings in bold (documents/pdf_paragraphs.cpp) ---

    // The bold words a paragraph's first line starts with, the line going on in the body's face
    // with a capital, are a heading run into the text ("Sample efficiency We explore ..."), a
    // line of their own, when they are at most this many words: such a heading names a topic in
    // a few words, a bold sentence of emphasis runs longer.
    int boldRunInWords = 8;
    // The text after a heading, on its line or the next, is prose: at least this many of its
    // words start with a small letter. A table's row of bold and plain cells ("Top-100 WQ TREC"),
    // an author's name in bold before its note mark, have none; after a long heading the rest of
    // the line may be two words ("Positive and negative passages For retrieval").
    int boldProseSmallWords = 1;
    // A line all in bold after a sentence's end, between lines that are not bold, is a heading of
    // its own when it has at most this many words (a numbered section's title: "5.2 Ablation
    // Study on the Passage Encoder"); a longer one is a bold passage of the text.
    int boldLineWords = 14;

    // --- Formulas (documents/pdf_paragraphs.cpp) ---
    // The parts of a displayed formula (sub- and superscripts, limits, a fraction's numerator)
    // sit at heights of their own; they stay in one paragraph when they overlap vertically by more
    // than this many ems (of the smaller line) at each edge...
    double formulaOverlap = 0.2;
    // ...and lie within this many ems of each other across the page...
    double formulaReach = 4;
    // ...or when one of them is a fragment less than this many ems below the other.
    double formulaClose = 0.5;
    // A fragment: at most this many bytes ("n", "k=0", "i∈I")...
    int fragmentBytes = 8;
    // ...with no run of this many ASCII letters (that is a word, not a symbol).
    int fragmentWordLetters = 3;

    // --- Page furniture (documents/pdf_furniture.cpp) ---

    // Running headers and footers are looked for among this many lines nearest the top and the
    // bottom of each page: a header over two lines, a footer with a page number and a URL.
    int furnitureEdgeLines = 3;
    // A line is furniture when it stands at the same place on at least this many pages, the same
    // or differing only in numbers. Two would take a title and its repeat on the next page.
    int furnitureMinPages = 3;
    // A line with numbers in it is furniture only if its numbers go up with the pages, as page
    // numbers do: on at least this many of those pages (itself among them), some number of the
    // line less the page's index is the same. Two, because a book's front matter may number only
    // a few pages in Roman figures; a table's figures or a line that starts with "I" or "28" agree
    // with no other page's.
    int furniturePagesNumberedAlike = 2;
    // A line taken for furniture for its numbers is body when a paragraph runs through it: when
    // it and the line below or above it are in one paragraph by the paragraph rule, and their type
    // differs by at most this many pt. A header is set in a size of its own or apart from the
    // text; a page-top line of the text is the size of the next.
    double inParagraphSizeDifference = 0.5;
    // A page's first line in larger type than the body's is a title, and read however often it
    // repeats, when fewer than this share of the pages with a large first line at its place have
    // its text: a slide deck's titles change from section to section, a running header set large
    // stands the same on nearly every page.
    double titleRepeatShare = 0.5;
    // "The same place" is the same height band of this many pt...
    double furnitureBandPoints = 4;
    // ...or one of this many bands either side (baselines shift between pages by a point or so).
    int furnitureBandSlack = 1;

    // --- Asides (documents/pdf_asides.cpp) ---

    // Footnotes and boxes are blocks of type smaller than this share of the body's size (the size
    // most of the document's characters have)...
    double asideSmaller = 0.9;
    // ...standing below this share of the page's height (from the top), that body text goes on
    // past: they are read after the paragraph they interrupt.
    double asideBelowShare = 0.5;

    // --- Floats (documents/pdf_asides.cpp) ---

    // Where a paragraph breaks off at a column's or a page's end mid-sentence and reads on in the
    // next, the lines between whose type differs from the paragraph's by more than this many pt
    // (notes and captions are a point or two smaller, a figure's labels any size) are read after
    // it; a line of the paragraph's size ends the search. Half a point: the words of one size
    // differ by less.
    double floatSizeDifference = 0.5;
    // The search for where the paragraph reads on gives up after this many lines (a page of
    // figures or a long table in between is not waited for).
    int floatMostLines = 200;
};

}  // namespace lexaro::documents
