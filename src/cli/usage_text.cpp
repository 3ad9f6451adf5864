#include "cli/usage_text.h"

namespace pagerprog::cli {

const char* const kUsageText = R"(usage: pagerprog-cli [OPTIONS] COMMAND ...

Commands:
  show [FILE] [--states] [--json]
                                  print every field as name=value in window order, after
                                  loading FILE as "&Open" does (no FILE: the start-up settings);
                                  --states adds <TAB>enabled=0|1<TAB>visible=0|1; a byte outside
                                  0x20 to 0x7E is written \xHH and a backslash \\
  new -o OUT [FIELD=VALUE ...]    start as the window starts, apply the edits, save OUT as
                                  "&Save" does (-o - writes standard output, unless it is a
                                  terminal)
  edit FILE -o OUT [FIELD=VALUE ...]
                                  the same after loading FILE as "&Open" does
  diff A B [--json]               list the fields whose values differ (name: a -> b)
  read -o OUT                     read a pager as "&RD_From_Pager" does, save OUT as "&Save" does
  write FILE [--count N] [--hands-free] [--gang] [--on-fail reuse|skip] [--capcodes LIST.csv]
        [--resume BATCH | --join BATCH] [--unique] [--scan | --serials LIST] [--pre-unit CMD]
        [--post-unit CMD] [--hook-timeout SECONDS] [--json] [FIELD=VALUE ...]
                                  load FILE as "&Open" does, apply the edits (autoinc1=8, say:
                                  the steps are not kept in settings files) and write it as
                                  "&WR_To_Pager" does. --count N programs N pagers in a row as one
                                  batch, waiting for Enter between them: unit k gets the
                                  capcodes stepped on k-1 times by the increments. It stops at
                                  the first failure, at capcodes the rules refuse, when the
                                  production record cannot account for the next pager, or at
                                  Ctrl-C (after the pager being written), and ends with a
                                  summary. --hands-free waits instead for the pager to be taken
                                  out and the next put in (polled every half second).
                                  --gang runs every usable USB programmer at once (or those
                                  --port names), hands-free, each taking the batch's next unit:
                                  unit k gets unit k's capcodes whichever programmer takes it.
                                  A failed pager does not stop the others; a programmer that
                                  stops answering or is pulled out leaves the gang, the others
                                  going on. Each result line names its programmer; the summary
                                  gives each one's count and the pagers per hour. --on-fail
                                  reuse (the default) gives a failed pager's capcodes to the
                                  next pager, skip retires them (recorded as "retired").
                                  --capcodes takes unit k's capcodes from row k of a CSV file
                                  whose header names address1..address8, separated by commas,
                                  semicolons or tabs (an empty cell leaves the slot as stepping
                                  gives it; without --count, one pager a row).
                                  --resume goes on with a stopped batch of the record, with the
                                  edits, steps and capcode file it was started with (a capcode
                                  file changed since is refused; only steps may be given).
                                  --join takes units of a batch another bench started, as that
                                  bench does (the same settings file, no edits: its own, its
                                  steps and capcode file): --count N of them, or until the
                                  capcode file's rows run out. Each unit is allocated in the
                                  record before its pager is touched and claims the pager's own
                                  capcodes (of a slot that steps or that the CSV file sets; of
                                  every slot when none does); one claimed by another unit or
                                  verified into another pager is warned about, and --unique
                                  refuses it. Each pager's serial (the label on its case):
                                  --scan reads it from standard input before the pager (a
                                  barcode scanner typing into the terminal; its Enter is the one
                                  between pagers; an empty line or Ctrl-D ends the batch, exit 0);
                                  --serials LIST gives one a line, unit by unit, and a capcode
                                  file may have a serial column. A serial is printable text of
                                  at most 64 characters, blanks at either end dropped; one
                                  already verified into another pager is warned about, refused
                                  with --unique. --pre-unit CMD runs before each pager and
                                  refuses it by exiting non-zero (its first output line says
                                  why); --post-unit CMD runs after each, with the unit's record
                                  row as JSON on standard input and PAGERPROG_* variables; its
                                  ending is the row's last status-log line and never changes
                                  the unit's outcome. A hook running longer than
                                  --hook-timeout (10 s) is stopped
  verify FILE [--json] [FIELD=VALUE ...]
                                  read the pager and compare it with the image writing FILE would
                                  send (the write's hardware read-back applies), without writing;
                                  prints how many bytes differ, the first, and the fields they
                                  hold (the status log names the first eight addresses)
  restore ROW|--serial S [--force]
                                  write the image the pager of record row ROW (or of the latest
                                  write of serial S) held before it was
                                  written, exactly as it was, verified; prints "restore of row
                                  ROW: verified" or "failed". The pager is read first and must be
                                  the one that row wrote (holding what it wrote, or, cut short, a
                                  mix of that and the kept image); --force writes any pager
  log [--batch ID] [--since DATE] [--until DATE] [--capcode N] [--serial S]
      [--format table|csv|json] [--json]
                                  print the production record, newest first (--until a date:
                                  to its end), and the units allocated to a bench without a
                                  result yet
  history SERIAL|--capcode N [--format table|csv|json] [--json]
                                  every attempt on one pager, oldest first: outcome, capcodes,
                                  settings SHA-256, operator and bench (host and port)
  audit TEMPLATE [--json]         read the pager and name every field it holds otherwise than
                                  TEMPLATE ("field: template -> pager"); its own capcodes and
                                  calibration are listed apart ("per unit: ..."). Exit 0 when
                                  only those differ, 4 when any other field does
  report --by day|batch|bench|programmer|operator [--since DATE] [--until DATE]
         [--format table|csv|json] [--json]
                                  the yield of the record's writes: pagers attempted and
                                  verified, failed writes by outcome, first-pass yield, mean
                                  and 95th-percentile seconds per verified pager, pagers an hour
  record setup [--print-sql]      set up the production record on the server of --db: its
                                  tables and the role pagerprog_bench that benches log in as
                                  members of (or bring an older one up to date); --print-sql
                                  prints what it runs instead
  record copy --from FILE         copy the record FILE (a bench's) into the record of --db; each
                                  unit keeps its bench and row as origin and origin_row, and a
                                  unit copied before is not copied again
  record sync                     push the units waiting in the spool to the server of --db
  record status                   the record in use, its schema, units, units allocated without
                                  a result, and the units waiting in the spool
  batch release UNIT --batch ID   give back a unit allocated to a bench that will not program it
  probe                           what to run when nothing works: lists the parallel ports
                                  (device, whether it can be opened and claimed, else why and
                                  the fix) and the USB programmers (USB port path, hidraw node,
                                  VID:PID, product, serial, report lengths; free, in use by this
                                  or another program, or why it cannot be used and the fix); then,
                                  on the port of --port (default: a usable USB programmer, else
                                  LPT1), switches the adapter on, lists which of the chip's eight
                                  blocks acknowledge, reads the first 16 bytes and the checksum
                                  of the whole image, switches it off, and prints the bus timing

Options (before the command):
  --customer NAME     pick the customer after start-up, before any file is loaded
  --revision REV      TV7r2, TV7r3 or TV8: step the revision after start-up until reached
  --data-dir DIR      where the language files are
  --allow-default-prompts
                      go on with new, edit and write when a language file is missing (the
                      image then carries other prompt texts than the window's)
  --port PORT         usb, usb@PORTPATH, lpt1 or lpt2 for the pager commands (default: the
                      USB programmer when one is attached, else LPT1). usb takes the first
                      USB programmer no other program holds, usb@1-2.3 the one plugged into
                      that USB port (as probe names it). Once per programmer with write --gang
  --simulate usb|lpt[:PAGERFILE|:FOLDER]
                      work on a simulated pager behind a simulated USB programmer or
                      parallel-port adapter; its EEPROM is kept in PAGERFILE, or the pagers
                      of FOLDER (one file each) are changed by hand one after another. Again
                      for each further one: USB programmers at the ports sim1, sim2, ...,
                      adapters at LPT1, then LPT2
  --db PATH|URI       the production record: a file (default:
                      $XDG_DATA_HOME/pagerprog/production.sqlite), or a PostgreSQL server
                      (postgresql://[user@]host[:port]/dbname[?sslmode=...], service=NAME, or
                      any libpq connection string), its password from ~/.pgpass, a service
                      file or PGPASSWORD; PAGERPROG_DB when not given. When the server is away
                      after a pager was written, its unit waits in the spool beside the
                      default record until the server takes it
  --operator NAME     recorded on every row beside the account (default: $PAGERPROG_OPERATOR)
  --trace FILE        record every read and write: on the parallel port an IEEE 1364 VCD of
                      the bus (SCL, SDA as the chip sees it, SDA_OUT, POWER, STATUS_READ,
                      SDA_IN) for PulseView, GTKWave or sigrok's I2C decoder; on the USB
                      programmer every report exchanged, one per line (microseconds, out
                      or in, the bytes in hex). The first transfer's path decides which
  --ack-polling       parallel port: after each page poll the chip until it acknowledges
                      (25 ms at most) instead of sleeping the bus-free time; for chips
                      whose write cycle is longer than the bus-free time
  -q, --quiet         show the status-log lines and beeps of a step only when it failed;
                      errors, refusals and what a batch asks for are always shown
  -v, --verbose       add detail to each pager command: the bus timing on the parallel
                      port, the chunk requests sent to the USB programmer
  -h, --help          this text
  --version           the program's version

An option's value follows it, or is joined to it: --db=PATH, -oOUT. "--" ends the
options: what follows is a file or an edit even when it starts with "-".

Edits are typed as a technician types them: the field takes the focus, its text is
selected, VALUE is typed key by key through the field's key filter, then the focus leaves.
VALUE is read as show writes it: \\ is a backslash and \xHH the byte HH (a backslash before
anything else is a backslash), so any line show prints can be given back as an edit. A
frequency is typed as its digits (frequency=14655600) or as show prints it
(frequency=146.55600). A choice takes an item text, in any case when only one item matches
it, or #N (one that takes typing, like autoinc1, is typed); a check box takes 1 or 0. A
field that already shows VALUE is left alone. An edit the window would not allow (disabled
or hidden field, a refused key, a VALUE longer than the field takes, a rule putting the
focus back, an error box) refuses the command.

Status-log lines go to standard error as "log: TEXT", beeps as "beep", message boxes as
"message: TEXT"; results (show, diff, the units of a write, verify, log; --json for a
JSON form) go to standard output.

Exit status: 0 success; 1 an input refused (a file, an edit, a value, the capcode file,
the production record or its server away before a pager, a capcode or serial already in
another pager with --unique, a hook that cannot run or refuses the first pager); 2 usage;
3 no programmer, adapter or pager answering; 4 verify found different data, audit found a
field that is not the pager's own differing; 5 the programmer reported an error or stopped
answering; 6 the pager's image failed its checksum or belongs to another customer; 7 a batch
was stopped before its count, after its first pager (a refusal before any pager is 1), or
every programmer of a gang left it; 130 Ctrl-C stopped a batch.
diff: 0 equal, 1 different, 2 trouble. probe: 0 a pager answered; 1 a port or programmer
works but no pager answered; 3 no port and no programmer can be used.
)";

}  // namespace pagerprog::cli
