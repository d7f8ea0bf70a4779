#pragma once

// How a send of one request ended, as far as anybody can know.
//   sent      the modem gave a message reference for every part;
//   not_sent  nothing left: refused before any part was handed over, or refused with a cause that says the
//             network took nothing;
//   unknown   a part was handed over and no definite answer came (time-out, lost link, lost acknowledgement,
//             an ambiguous error, a later part refused after an earlier one left, a cancel after the hand-over).
//             The request may have reached the bank: it is never repeated without the user's explicit choice.
enum class send_outcome_t { sent, not_sent, unknown };
