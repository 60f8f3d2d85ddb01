#pragma once

class CSysExData;

// The current bank: the one that every transfer reads from or writes to. Not owned.
class CGlobalData {
  public:
    // in_ptrSysExData must not be null.
    void SetCurrentSysExData(CSysExData* in_ptrSysExData);
    // The bank, or null when none is set (or it was forgotten).
    CSysExData* PeekCurrentSysExData() const { return m_ptrCurrentSysExData; }
    void Clear() { m_ptrCurrentSysExData = nullptr; }

  private:
    CSysExData* m_ptrCurrentSysExData = nullptr;
};
