#include "SoldHead.h"
