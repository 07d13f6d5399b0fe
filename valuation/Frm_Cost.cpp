#include "Frm_Cost.h"
