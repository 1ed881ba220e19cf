// SPDX-License-Identifier: MIT
#pragma once

// What the fake IDE answers beside the Scintilla messages, so that a test can check the
// editor's state without going through the code under test. Window messages, sent with
// SendMessageW to the handle that the fake IDE prints.
namespace glossa::fakeide {

constexpr unsigned kFirstPrivateMessage = 0x8000 + 0x100; // WM_APP + 0x100

// Writes the document's bytes to the file named by "-save:PATH"; 1 when written, else 0.
constexpr unsigned kSaveDocument = kFirstPrivateMessage + 1;
// Number of protocol faults seen so far (bad buffers, missing terminators, executable blocks,
// faults of the simulated document).
constexpr unsigned kGetFaults = kFirstPrivateMessage + 2;
// The caret and the selection anchor as byte positions.
constexpr unsigned kGetCaret = kFirstPrivateMessage + 3;
constexpr unsigned kGetAnchor = kFirstPrivateMessage + 4;
// How many times the Scintilla message in wParam has been received.
constexpr unsigned kCountReceived = kFirstPrivateMessage + 5;

} // namespace glossa::fakeide
