#pragma once

class QPalette;

// The dark glass look for the parts of a program that live outside its windows' glass ground:
// menu bars, menus, tooltips, scroll bars, combo-box lists and message boxes. Without it they
// keep the platform's light theme inside a dark window. The colours come from the glass tokens,
// laid on an opaque dark ground since these windows have no ground of their own.
QPalette truneStudioApplicationPalette();

// Sets that palette for exactly those classes, application-wide (once the QApplication exists);
// every other widget keeps its own.
void truneApplyStudioApplicationStyle();
