#pragma once
// The rating prompts: rate now, later or never (RateAppStoreDialog), or rate or write a mail (RateMailDialog).

#include "ReminderStateDialog.h"

namespace VUVararer {

class RateAppStoreDialog : public ReminderDialog
{
    Q_OBJECT

public:
    explicit RateAppStoreDialog(QWidget* parent = nullptr);
    // True once any RateAppStoreDialog was constructed in this process.
    static bool wasAlreadyCalled() { return s_bWasCalled; }

private:
    static bool s_bWasCalled;
};

class RateMailDialog : public ReminderDialog
{
    Q_OBJECT

public:
    explicit RateMailDialog(QWidget* parent = nullptr);
};

} // namespace VUVararer
