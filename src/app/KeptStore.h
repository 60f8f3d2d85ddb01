#pragma once

// Where one value of the program is kept between runs.
template <typename KeptValue>
class KeptStore {
  public:
    using Value = KeptValue;
    virtual ~KeptStore() = default;
    // A default value when nothing was kept.
    virtual Value Load() = 0;
    virtual void Save(const Value& in_value) = 0;
};

// For this run only: what a program without a settings file of its own, or a test, uses
// in place of a Store (a KeptStore).
template <typename Store>
class MemoryStore : public Store {
  public:
    using Value = typename Store::Value;
    Value Load() override { return m_Kept; }
    void Save(const Value& in_value) override { m_Kept = in_value; }
    Value m_Kept;
};
