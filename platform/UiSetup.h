// Start-up of the toolkit in Japanese: Qt's own texts (message-box buttons,
// the file dialog, text-box menus) come from Qt's Japanese translation
// whatever the system's locale, and the program's font is a Japanese one.
#pragma once

class QApplication;

namespace platform {

// Returns false when Qt's Japanese translation could not be found.
bool setUpJapaneseUi(QApplication& app);

}  // namespace platform
