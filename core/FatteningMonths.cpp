#include "FatteningMonths.h"

qint16 FatteningMonths(const QDate &start, const QDate &end, qint16 status) {
    switch (status) {
        case Dounyuu:
            return start.isValid() ? qint16(13 - start.month()) : 0;
        case Hiiku:
            return 12;
        case Baikyaku:
        case Sibou:
            return end.isValid() ? qint16(end.month()) : 0;
        default:
            return 0;
    }
}
