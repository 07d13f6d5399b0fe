#include "Frm_Proseed.h"
