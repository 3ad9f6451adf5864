// The scene behind the fake kernel that the backend tests preload: which device nodes
// exist, who else holds the parallel port, and how the USB programmer misbehaves. Every
// call takes effect at once. The scene belongs to the test's thread.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// True when this library's open, ioctl and udev functions come before the real ones.
int fake_kernel_interposed(void);

// An empty machine: no parallel port, no programmer, no other port user, and a pager
// holding its factory image. Closes every fake device file a test left open.
void fake_kernel_reset(void);

// The pager's 2048 EEPROM bytes, behind both the adapter's 24C16 and the USB programmer.
unsigned char* fake_pager_memory(void);

// --- /dev/parport0: a PC-style port with the passive adapter and the pager's 24C16 ---

// The port appears; `accessible` 0 gives the node a mode the test user may not open.
void fake_parport_attach(int accessible);
// Another program registered the port exclusively (its PPEXCL): our registration fails.
void fake_parport_hold_exclusively(void);
// Another program holds the port claimed and releases it `ms` milliseconds from now.
void fake_parport_hold_for_ms(unsigned ms);
// The port is removed (its driver unbinds) once this many register accesses were made.
void fake_parport_vanish_after(long register_accesses);
// Register reads and writes made through ppdev so far.
long fake_parport_register_accesses(void);
// Files open on /dev/parport0 right now.
int fake_parport_open_files(void);
// The level (0 or 1) of connector pin 1..17 as the adapter sees it, -1 for no such pin.
int fake_parport_pin(int pin);

// --- /dev/hidrawN: USB programmers, enumerated through sysfs and libudev ---

// Plugs the programmer into USB port 1-1. Its input and output reports carry `report_size`
// bytes, under `report_id` (0: unnumbered reports, as the real programmer has).
// `accessible` 0 gives the node a mode the test user may not open. It takes the lowest
// hidraw minor free (/dev/hidraw0 on an empty machine) and is announced to udev monitors.
void fake_programmer_plug(unsigned char report_id, unsigned report_size, int accessible);
// Pulls the programmer out: its node and sysfs entries go, open files hang up.
void fake_programmer_unplug(void);

// Programmer `index` (0 is the one above, on the pager of fake_pager_memory; every other
// has a pager of its own) plugged into USB port `port` ("1-2.3"), with unnumbered 64-byte
// reports and the serial string `serial` ("" for none), under the lowest free minor.
void fake_programmer_plug_into(int index, const char* port, const char* serial);
void fake_programmer_unplug_index(int index);
unsigned char* fake_programmer_pager_memory(int index);
// Another program holds programmer `index`'s node locked until it is plugged in again.
void fake_programmer_held_elsewhere(int index);
// From this chunk request on (counting read and write requests from 0) nothing answers.
void fake_programmer_silent_from_chunk(long chunk);
// The programmer is pulled out while this chunk request is being sent.
void fake_programmer_unplug_at_chunk(long chunk);

#ifdef __cplusplus
}
#endif
