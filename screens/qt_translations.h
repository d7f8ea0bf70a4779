#pragma once

class QCoreApplication;

// Loads Qt's own Russian catalogue into `app`, so that the texts Qt draws itself (the buttons of message
// boxes, the edit box's context menu) are Russian like every other text. The program calls it at start, and
// so do the tests that look at those texts. Returns whether the catalogue was found; a second call does
// nothing more.
bool install_qt_translations(QCoreApplication& app);
