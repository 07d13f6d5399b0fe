#include "Frm_CowList.h"
