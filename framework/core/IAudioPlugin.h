#pragma once
// The host-neutral plug-in object: parameters, preset slots, identity, channel configurations,
// the instance mutex, the processing frame that carries a block from the host's buffers to the
// product's routine, and the link to the editor engine. A host binding derives from it and
// implements the host-facing operations; the product derives from the binding.

#include <atomic>
#include <cstdarg>

#include "common/HeapBuf.h"
#include "common/PtrList.h"
#include "common/RecursiveMutex.h"
#include "common/StringBuf.h"
#include "framework/core/ByteChunk.h"
#include "framework/core/HostIdentification.h"
#include "framework/core/IParam.h"
#include "framework/core/IPluginEditor.h"
#include "framework/core/IPreset.h"
#include "framework/core/MidiMsg.h"
#include "framework/core/NChanDelayLine.h"
#include "framework/core/PluginTypes.h"

struct ChannelIO
{
  int mIn = 0;
  int mOut = 0;
};

struct InChannel
{
  bool mConnected = false;
  double** mSrc = nullptr; // its slot in mInData
  TypedBuf<double> mScratchBuf;
  StringBuf mLabel;
  // The host's single-precision buffer attached for this block, converted into the scratch
  // buffer only when the block is processed in double precision; null otherwise.
  float* mFSrc = nullptr;
};

struct OutChannel
{
  bool mConnected = false;
  double** mDest = nullptr; // its slot in mOutData
  float* mFDest = nullptr;  // the host's single-precision buffer, when it gave one
  TypedBuf<double> mScratchBuf;
  StringBuf mLabel;
};

class IAudioPlugin
{
public:
  static constexpr int kNameLen = 128;

  IAudioPlugin(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
               const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
               int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
               EAPI plugAPI);
  virtual ~IAudioPlugin();
  IAudioPlugin(const IAudioPlugin&) = delete;
  IAudioPlugin& operator=(const IAudioPlugin&) = delete;

  // ---- Hooks a product overrides ----

  // Main thread, after the sample rate and block size are stored; takes the instance mutex.
  virtual void Reset();
  // Any thread, after parameter paramIdx changed; takes the instance mutex.
  virtual void OnParamChange(int paramIdx);
  // Audio thread, instance mutex held. Default: copies input i to output i, zeroes the rest.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  // The same on 32-bit buffers. The frame calls it for host float buffers only when the product
  // said so (SetSinglePrecisionDirect): a product whose routine converts in its first and last
  // stage saves the frame's two conversion passes and copies.
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  virtual void OnIdle() {}
  // Main thread; takes the instance mutex.
  virtual void OnActivate(bool active);
  virtual void ProcessMidiMsg(IMidiMsg* msg);
  virtual void ProcessSysEx(ISysEx*) {}
  virtual bool MidiNoteName(int noteNumber, char* out);

  // ---- State (instance mutex taken inside) ----
  virtual bool SerializeState(ByteChunk& chunk);
  virtual int UnserializeState(const ByteChunk& chunk, int startPos);
  virtual bool CompareState(const unsigned char* data, int startPos);

  virtual void OnWindowResize() {}
  virtual bool HostRequestingAboutBox() { return false; }
  virtual void OnHostIdentified() {}
  virtual void PopupHostContextMenuForParam(int, int, int) {}

  // Editor thread: a user's change. Under the instance mutex: set, tell the host, notify. The
  // host hears it inside a gesture: the one open on the parameter, or one of its own.
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);

  // ---- Operations the host binding provides ----
  virtual void BeginInformHostOfParamChange(int) {}
  virtual void InformHostOfParamChange(int, double) {}
  virtual void EndInformHostOfParamChange(int) {}
  virtual void InformHostOfProgramChange() {}
  virtual bool IsRenderingOffline() { return false; }
  virtual int GetSamplePos() { return 0; }
  virtual double GetTempo() { return 0.0; }
  virtual void GetTimeSig(int* numerator, int* denominator);
  virtual void GetTime(ITimeInfo*) {}
  virtual EHost GetHost() { return mHost; }
  virtual EAPI GetAPI() { return mAPI; }
  virtual void ResizeGraphics(int, int) {}
  virtual void HostSpecificInit() {}
  // Takes ownership of the editor engine (null is ignored).
  virtual void AttachGraphics(IPluginEditor* graphics);
  virtual void SetLatency(int samples);
  virtual bool SendMidiMsg(IMidiMsg*) { return false; }
  virtual bool SendSysEx(ISysEx*) { return false; }
  virtual void RedrawParamControls();
  virtual void DirtyPTCompareState() {}
  // After a successful preset restore.
  virtual void PresetsChangedByHost() {}
  virtual void SetBlockSize(int blockSize);

  // ---- Identity ----
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion(bool decimal) const;
  void GetEffectVersionStr(char* out) const;
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* out);
  const char* GetAPIString();
  static const char* GetArchString();
  void SetHost(const char* hostName, int version);
  bool IsInst() const { return mIsInst; }
  bool DoesMIDI() const { return mDoesMIDI; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool GetIsBypassed() const { return mIsBypassed.load(std::memory_order_relaxed); }
  int GetLatency() const { return mLatency; }
  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }

  // ---- Parameters ----
  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int paramIdx) const { return mParams.Get(paramIdx); }
  // Reports every value to the host, each in a gesture (after a recall the user made).
  void DirtyParameters();
  void OnParamReset();

  // ---- Gestures (editor thread) ----
  // Hosts recording automation take a change only between a begin and an end of the same
  // parameter, and expect them paired. The editor says where a gesture starts and ends; these
  // keep the pairs: a begin on a parameter already in a gesture, or an end of none, sends nothing.
  void BeginParamGesture(int paramIdx);
  void EndParamGesture(int paramIdx);
  bool InParamGesture(int paramIdx) const;

  // ---- Channels ----
  bool LegalIO(int nIn, int nOut);
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);
  void SetInputBusLabel(int idx, const char* label);
  void SetOutputBusLabel(int idx, const char* label);
  void LimitToStereoIO();
  int NChannelIO() const { return mChannelIO.GetSize(); }
  const ChannelIO* GetChannelIO(int idx) const { return mChannelIO.Get(idx); }

  // ---- Processing frame (audio thread, instance mutex held, except the setters) ----
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  void AttachInputBuffers(int idx, int n, double** buffers, int nFrames);
  void AttachInputBuffers(int idx, int n, float** buffers, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** buffers);
  void AttachOutputBuffers(int idx, int n, float** buffers);
  void ZeroScratchBuffers();
  // Blocks are never longer than the block size last given to SetBlockSize; longer ones are cut
  // to it (the binding splits a host's longer blocks before they get here).
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  void ProcessBuffersAccumulating(float sampleType, int nFrames);
  void PassThroughBuffers(double sampleType, int nFrames);
  void PassThroughBuffers(float sampleType, int nFrames);
  double GetSamplesPerBeat();

  IPluginEditor* GetGUI() const { return mGraphics; }
  RecursiveMutex& GetMutex() { return mMutex; }

  bool SendMidiMsgs(PtrList<IMidiMsg>* msgs);

  // ---- State serialisation ----
  bool SerializeParams(ByteChunk& chunk);
  int UnserializeParams(const ByteChunk& chunk, int startPos);
  bool SerializePresets(ByteChunk& chunk);
  int UnserializePresets(const ByteChunk& chunk, int startPos);

  // The preset slots and the current slot as a block that may follow a host's state: a tag, a
  // version, the payload's size and checksum, then the current slot index and the bank
  // (SerializePresets). Appends nothing (false) when a slot's state is not the live state's size.
  bool AppendPresetTail(ByteChunk& chunk);
  enum ETailResult
  {
    kNoTail,      // no tail at pos; nothing changed
    kTailRefused, // a tail that cannot be read whole; nothing changed
    kTailRestored // every slot and the current slot index replaced; live values untouched
  };
  // Checks the whole tail before the first slot changes. Instance mutex taken inside.
  ETailResult RestorePresetTail(const ByteChunk& chunk, int pos);

  // ---- Preset store ----
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  const IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }
  bool MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  bool MakePreset(const char* name, ...);
  bool MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  bool MakePresetFromChunk(const char* name, const ByteChunk& chunk);
  bool MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  void EnsureDefaultPreset();
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  const char* GetPresetName(int idx) const;
  void ModifyCurrentPreset(const char* name = nullptr);
  void PruneUninitializedPresets();
  bool DumpPresetSrcCode(const char* fileName, const char* const* paramEnumNames);
  bool DumpPresetBlob(const char* fileName);
  bool DumpBankBlob(const char* fileName);

  // ---- Program and bank files ----
  bool SaveProgramAsFXP(const StringBuf& path);
  bool SaveBankAsFXB(const StringBuf& path);
  bool LoadProgramFromFXP(const StringBuf& path);
  bool LoadBankFromFXB(const StringBuf& path);
  // The same on bytes already in memory (the loaders read the whole file and call these).
  bool LoadProgramFromChunk(const ByteChunk& file);
  bool LoadBankFromChunk(const ByteChunk& file);
  void BuildProgramFile(ByteChunk& file);
  void BuildBankFile(ByteChunk& file);

protected:
  IPreset* GetNextUninitializedPreset();
  // True when the bank's slots can all be read back in full: checked before a bank file changes
  // anything.
  bool IsCompletePresetBank(const ByteChunk& chunk, int startPos);
  int SerializedStateSize();

  PtrList<ChannelIO> mChannelIO;
  RecursiveMutex mMutex;
  char mEffectName[kNameLen] = {};
  char mProductName[kNameLen] = {};
  char mMfrName[kNameLen] = {};
  int mUniqueID;
  int mMfrID;
  int mVersion;
  EAPI mAPI;
  EHost mHost = kHostUninit;
  int mHostVersion = 0;
  bool mStateChunks;
  bool mIsInst;
  bool mDoesMIDI;
  // Written under the mutex; atomic because controller queries read it without.
  std::atomic<bool> mIsBypassed{false};
  int mCurrentPresetIdx = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mLatency;
  NChanDelayLine* mDelay = nullptr;
  PtrList<const char> mParamGroups;
  IPluginEditor* mGraphics = nullptr;
  PtrList<IParam> mParams;
  PtrList<IPreset> mPresets;
  TypedBuf<double*> mInData{64};
  TypedBuf<double*> mOutData{64};
  PtrList<InChannel> mInChannels;
  PtrList<OutChannel> mOutChannels;
  PtrList<StringBuf> mInputBusLabels;
  PtrList<StringBuf> mOutputBusLabels;
  // One flag per parameter: a gesture is open. The editor's thread only.
  TypedBuf<bool> mGestureOpen;

  // Constructor of a product whose ProcessSingleReplacing is its real routine.
  void SetSinglePrecisionDirect(bool direct) { mSingleDirect = direct; }

private:
  void ConvertInputsFromFloat(int nFrames);
  void ConvertOutputsToFloat(int nFrames, bool accumulate);
  bool ProcessFloatBuffersDirectly(int nFrames);
  // Tells the host inside the open gesture, or inside one of its own when none is open.
  void InformHostInGesture(int paramIdx, double normalizedValue);
  int ClampToBlock(int nFrames) const;

  bool mSingleDirect = false;
};
