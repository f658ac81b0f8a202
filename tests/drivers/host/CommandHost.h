// The host's modern mode: what Windows 11's Explorer does with an Explorer
// command (IExplorerCommand) on a right-click of folders.
#pragma once
#include <string>
#include <vector>

struct CommandHostOptions {
  std::string dll;                   // the module to load; empty: COM activation
  bool shift = false;                // hold Shift while invoking
  bool site = true;                  // give the commands a site with a window
  std::string item;                  // run: the sub-command's title
  std::vector<std::wstring> folders; // the selection, exactly as given
};

// "commands": prints the tree. "run": invokes the sub-command named by item.
int RunCommandHost(const std::string& command, const CommandHostOptions& options);
