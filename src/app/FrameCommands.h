#pragma once

#include <vector>

#include "app/CommandTable.h"

class CMainFrame;
class CQuorlinApp;

// The main frame's commands, one row each, in the order of their menus: what every menu
// item, toolbar button and key of the program is, says and does, and when it is on.
// A new command is one new row here.
std::vector<CommandRow> FrameCommands(CMainFrame& in_frame, CQuorlinApp& in_app);
