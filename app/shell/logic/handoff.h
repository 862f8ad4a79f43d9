/* The hand-off between a second start of the program and the running one: the command line
 * travels in "VokCmdLine.Dat" in the user's runtime folder, and the running copy listens on
 * a per-user local socket there. The file is written with mode 0600, read once and removed;
 * one that is not the user's, is a link or is larger than 64 KiB is ignored. */
#ifndef QUBEX_HANDOFF_H
#define QUBEX_HANDOFF_H

#include <string>

namespace qubex {

#define QUBEX_HANDOFF_FILE "VokCmdLine.Dat"
#define QUBEX_HANDOFF_LIMIT (64u * 1024u)

/* $XDG_RUNTIME_DIR when it is set and is a folder; otherwise "qubex-<uid>" in the temp
 * folder, created with mode 0700. Empty when neither is usable (a foreign or open folder). */
std::string RuntimeFolder();
std::string HandoffPath();
/* The name of the running copy's local socket (a path in the runtime folder). */
std::string InstanceSocketPath();

/* Writes text as the whole file (mode 0600, replacing an older file, never through a link). */
bool WriteHandoff(const std::string& path, const std::string& text);
/* Reads the file once and removes it. false when there is none or it is refused. */
bool TakeHandoff(const std::string& path, std::string* text);

} // namespace qubex

#endif
