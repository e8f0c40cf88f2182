// The dialog templates of the trade and category editing dialogs (131 and 137).
#pragma once

#include "platform/framework/DialogTemplate.h"

SDialogTemplate EditTradesTemplate();
SDialogTemplate EditCategoriesTemplate();
