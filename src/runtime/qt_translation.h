#pragma once
// Qt's own texts (an edit's context menu, the print dialogs) in Chinese as the program's own texts are,
// whatever language the desktop runs in. Only texts change: the locale, and with it number reading and
// keyboard shortcuts, stays as it is.
namespace rt {

// Call once the application object exists, before the first window is made. Without Qt's translation
// files (Debian's qt6-translations-l10n) Qt's texts stay English.
void installQtTranslation();

} // namespace rt
