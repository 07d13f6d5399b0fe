#include "Frm_Cow.h"
