#include "CowListModel.h"
