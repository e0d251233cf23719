#pragma once
// Which MIDI keys are held, in which order and with which velocity.

#include <array>
#include <cstdint>

struct NoteTable
{
  static constexpr int kNumNotes = 128;

  struct Entry
  {
    int32_t stamp = -1;    // order of the key press, -1 when not held
    int32_t velocity = 0;  // 0..127
    uint8_t sustained = 0; // released while the pedal was down
  };

  int32_t heldCount = 0;
  int32_t orderCounter = 0;
  std::array<Entry, kNumNotes> entries{};

  bool IsHeld(int note) const { return entries[note].stamp >= 0; }

  /** Enters a key press; a later press gets a larger stamp. */
  void Press(int note, int velocity)
  {
    Entry& e = entries[note];
    if (e.stamp < 0) ++heldCount;
    e.stamp = ++orderCounter;
    e.velocity = velocity;
    e.sustained = 0;
  }

  /** Removes a key; the order restarts once no key is held. */
  void Clear(int note)
  {
    Entry& e = entries[note];
    const bool wasHeld = e.stamp >= 0;
    e = Entry{};
    if (!wasHeld) return;
    heldCount = heldCount > 0 ? heldCount - 1 : 0;
    if (heldCount == 0) orderCounter = 0;
  }

  void ClearAll()
  {
    entries.fill(Entry{});
    heldCount = 0;
    orderCounter = 0;
  }
};
