#include "App.h"

namespace VUVararer {

// Slots the frame's menus connect to by name; the dialogs and links they open are built around them.

void App::slotCallRateReminderInternal()
{
}

void App::slotCallRateReminder()
{
}

void App::slotCallTellReminder()
{
}

void App::slotCallJoinReminder()
{
}

void App::slotImmediatelyRate()
{
}

void App::slotShowCssEditor()
{
}

void App::slotContactUs()
{
}

void App::slotTellFriend()
{
}

void App::slotRateApp()
{
}

void App::slotSupportPage()
{
}

void App::slotHelp()
{
}

void App::slotGoToPromotedApp()
{
}

void App::slotShareApp()
{
}

void App::slotJoin()
{
}

void App::slotAbout()
{
}

} // namespace VUVararer
