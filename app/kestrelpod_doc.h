#pragma once

// The document of the main window. It holds nothing: the user's data lives in the script's variables.
class CKestrelpodDoc {};
