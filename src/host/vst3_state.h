#pragma once
// The component's state in a host's byte stream: the instrument's state chunk followed by the
// binding's int32 bypass flag (little-endian; always 0 for this instrument).
//
// Thread contract: the host's user-interface thread (its state calls).

#include "host/vst3/vst3_stream.h"

class IByteChunk;
class Vantrix;

/** Appends the binding's bypass flag (off) to an instrument state chunk, giving the component
    state as hosts store it. */
void AppendBypassFlag(IByteChunk& chunk);

/** Writes the chunk and the bypass flag; false (nothing written) when the instrument cannot
    write its state, or when the stream refuses bytes. */
bool WriteStateToStream(const Vantrix& plug, vst3::IBStream& stream);

/** Reads the whole stream and restores the chunk (as far as it goes); true when the bypass flag
    follows the chunk, and only then may the caller finish the restore (AfterStateRestore). The
    host id selects WaveLab's way of reporting the end of its streams. */
bool ReadStateFromStream(Vantrix& plug, vst3::IBStream& stream, int hostId);
