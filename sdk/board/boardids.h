#pragma once
// How the library names its boards, and how a name is read back:
//   "#DEFAULT"                 the default board of the plain whiteboard
//   "<key>#DEFAULT"            a further page of the plain whiteboard
//   "<key>_<page>_#<file>"     page <page> of document "#<file>"
// Keys and file names carry neither "_" nor "#", so the rules below always find their parts.

#include <string>

namespace board {

extern const char kDefaultBoard[]; // "#DEFAULT"

std::string plainBoardId(const std::string &key);
std::string documentBoardId(const std::string &key, unsigned page, const std::string &fileId);
std::string documentFileId(const std::string &key);

// The file a board belongs to: the tail from its last "#" ("#DEFAULT" for the plain
// whiteboard), empty when the id has no "#".
std::string fileOfBoard(const std::string &boardId);
// The page number of a document board: cut the id before its last "_" or "#", drop one more
// character, take what follows the last "_" of the rest; 0 unless that is all decimal digits.
unsigned pageOfBoard(const std::string &boardId);

} // namespace board
