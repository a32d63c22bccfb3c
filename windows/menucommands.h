// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct AppContext;
class MainViewModel;

// The main window's commands that ask the user first, each then handing its
// answer to the controller: a file to open, the caption text, the two
// colours, and whether an unsaved collection may go on exit.
class MenuCommands {
public:
    MenuCommands(AppContext &ctx, MainViewModel &controller);

    void openFile(); // m_Open
    void topCaption();
    void fontColor();
    void backColor();
    // m_End, m_endi and the close box. Returns false when the user chose to
    // keep an unsaved collection, in which case the program keeps running.
    bool exit();

private:
    AppContext &ctx_;
    MainViewModel &controller_;
};
