#pragma once
// A static text of a window definition: name, text, position and size in units, font and colour.
class QLabel;
class QString;
class QWidget;

namespace rt {

struct StaticText {
    const char *name;
    const char *text;
    int x, y, width, height;
    int points;
    int weight;
    long color;
};

// Creates the text as a label of `parent`, top-left aligned, in the font `face`.
QLabel *addStaticText(QWidget *parent, const StaticText &text, const QString &face);

// A label that shows `text` as written, as the old platform showed every text. Qt, left to guess, would
// take a text that looks like markup for rich text, and scans every text for tags to find out.
QLabel *plainLabel(const QString &text, QWidget *parent = nullptr);

} // namespace rt
