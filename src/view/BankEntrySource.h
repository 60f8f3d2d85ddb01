#pragma once

#include <QPointer>

#include "view/ParameterSource.h"

class CQuorlinView;

// One entry of the bank a bank window shows. Every change goes through the window's
// document, one step of its history each; a patch's tones are that bank's tones.
class CBankEntrySource : public ParameterSource {
  public:
    CBankEntrySource(CQuorlinView& in_view, mks80::Kind in_kind, int in_index);

    CQuorlinView* GetView() const { return m_ptrView; }
    int GetIndex() const { return m_Index; }

    mks80::Kind GetKind() const override { return m_Kind; }
    std::vector<int8_t> GetBytes() const override;
    QString GetTitle() const override;
    void Write(const mks80::Parameter& in_param, mks80::Half in_half, int in_stored,
               int in_gesture) override;
    QString ToneName(int in_index) const override;
    bool CanSelectTone() const override { return m_ptrView != nullptr; }
    // Selects the tone in the bank window.
    void SelectTone(int in_index) override;

  private:
    QPointer<CQuorlinView> m_ptrView;
    mks80::Kind m_Kind;
    int m_Index;
};
