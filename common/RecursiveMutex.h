#pragma once
// The instance mutex: recursive, so a path that already holds it (a block of audio, a state
// restore) may call code that takes it again.

#include <mutex>

class RecursiveMutex
{
public:
  void Enter() { mMutex.lock(); }
  void Leave() { mMutex.unlock(); }

  class Lock
  {
  public:
    explicit Lock(RecursiveMutex& m) : mM(m) { mM.Enter(); }
    ~Lock() { mM.Leave(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

  private:
    RecursiveMutex& mM;
  };

private:
  std::recursive_mutex mMutex;
};
