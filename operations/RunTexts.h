// The texts of a run in the wide text its dialog shows.
#pragma once
#include <string>

struct FolderOperation;

// Fills messageText and folderListText with the question and the folder list.
void ComposeConfirmation(FolderOperation& operation);
// Why the run must not start, as the dialog shows it; "" when it may. Every
// Delete mode refuses a selection that holds a drive root; Clean refuses a
// mask list without a usable mask (HasUsableMask).
std::wstring ComposeRefusal(const FolderOperation& operation);
// The closing report from the counters.
std::wstring ComposeReport(const FolderOperation& operation);
// A path shortened to at most 54 characters for one line of the dialog; a
// character outside the Basic Multilingual Plane is never cut in two.
std::wstring ShortenPath(const std::wstring& path);
