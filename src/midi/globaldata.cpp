#include "midi/globaldata.h"

#include <cassert>

void CGlobalData::SetCurrentSysExData(CSysExData* in_ptrSysExData) {
    assert(in_ptrSysExData && "in_ptrSysExData");
    m_ptrCurrentSysExData = in_ptrSysExData;
}
