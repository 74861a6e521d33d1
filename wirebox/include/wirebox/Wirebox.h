/* Wirebox: one MIDI input and one MIDI output port per process, with blocking, time-limited
 * transfer of whole System Exclusive messages, program changes, and the sampler transfer calls.
 *
 * Results: int 1 for success and 0 for failure (GetSampleNum: -1 for failure), a pointer or NULL.
 * Every wait is bounded by the time-out of SetTimeOut (5000 ms until it is called).
 * The library shows nothing itself: its messages go to the handler of SetMessageHandler, which by
 * default writes them to standard error. */
#ifndef WIREBOX_WIREBOX_H
#define WIREBOX_WIREBOX_H

#include <stdint.h>

#if defined(_WIN32)
#define WIREBOX_CALL __stdcall
#if defined(WIREBOX_BUILDING)
#define WIREBOX_API __declspec(dllexport)
#else
#define WIREBOX_API __declspec(dllimport)
#endif
#else
#define WIREBOX_CALL
#define WIREBOX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the input port and the output port whose product names equal inName and outName exactly
 * (case-sensitive; the first of several equal names wins). channel is kept for the sampler calls.
 * owner is handed to the message handler. 1: both ports open; 0: a failure, already shown. */
WIREBOX_API int WIREBOX_CALL OpenMidi(void* owner, int channel, const char* inName,
                                      const char* outName);

/* Closes both ports. Harmless when nothing is open. Returns 1. */
WIREBOX_API int WIREBOX_CALL CloseMidi(void);

/* Sends length bytes unchanged (no F0 or F7 is added). 1: sent; 0: the output did not become
 * ready within the time-out, or refused the bytes. */
WIREBOX_API int WIREBOX_CALL MidiTransmit(uint32_t length, const unsigned char* bytes);

/* Waits for the next whole SysEx message (F0 .. F7; a longer one than 32767 bytes comes in parts
 * of 32767). Returns a block the caller gives back with DiscardMidiMessage and sets *length, or
 * NULL: input not open or the MIDI service stopped (both at once), nothing within the time-out,
 * or a time-out of 0. */
WIREBOX_API unsigned char* WIREBOX_CALL MidiReceive(uint32_t* length);

/* Frees a block from MidiReceive; NULL does nothing. */
WIREBOX_API void WIREBOX_CALL DiscardMidiMessage(unsigned char* message);

/* Sets the time-out of every later wait, in milliseconds, and returns it. */
WIREBOX_API uint32_t WIREBOX_CALL SetTimeOut(uint32_t milliseconds);

/* Sends a program change: status (channel | C0h), data program & 7Fh. 1: sent; 0: failed. */
WIREBOX_API int WIREBOX_CALL ProgramChange(int channel, int program);

/* Sampler calls (manufacturer 47h): the catalogue, a sample's parameters, and a sample dump made
 * of a 20-byte header, data packets and a closing F7, with a handshake after header and packets. */
WIREBOX_API int WIREBOX_CALL GetSampleNum(void);
WIREBOX_API int WIREBOX_CALL SendSampleData(int sample, const char* name, uint32_t first,
                                            int second, int third);
WIREBOX_API int WIREBOX_CALL SendSampleHeader(const unsigned char* header);
WIREBOX_API int WIREBOX_CALL SendChunk(int packet, int length, const unsigned char* data);
WIREBOX_API int WIREBOX_CALL EndOfEx(void);

/* Receives the library's messages (failures while opening the ports). caption may be NULL: the
 * host's default caption. Pass NULL to restore the default handler, which writes to stderr. */
typedef void(WIREBOX_CALL* WireboxMessageHandler)(const char* caption, const char* text,
                                                  void* owner);
WIREBOX_API void WIREBOX_CALL SetMessageHandler(WireboxMessageHandler handler);

#ifdef __cplusplus
}
#endif

#endif
