#pragma once
// A teacher's scenario: what the scripted teacher does in class, step by step. Read from a
// JSON file by ScenarioReader (format in docs/teacher.md), run by ScenarioRunner.

#include "protocol/protocol.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

enum class StepKind {
  Enter,
  Leave,
  Wait,
  WaitMember,
  WaitLeave,
  WaitCommand,
  Publish,
  Unpublish,
  Command,
  Display,
  Chat,
  Text,
  Reward,
  Roster,
  Print,
  Classmate,
  // The whiteboard, drawn through the board library.
  BoardTool,
  BoardDraw,
  BoardPage,
  BoardDocument,
  BoardGoto,
  BoardUndo,
  BoardClear,
};

// Members of a step that do not apply to its kind keep their defaults. Texts may hold
// ${name} references, expanded when the step runs (ScenarioVariables).
struct ScenarioStep {
  StepKind kind = StepKind::Print;
  int number = 0;        // 1-based position in the file
  bool optional = false; // a failure or timeout is reported and the scenario goes on
  int timeoutMs = 0;     // the wait kinds
  int durationMs = 0;    // Wait

  QString user;    // WaitMember/WaitLeave: a user id or "*"; WaitCommand: sender or "*"; Classmate
  QString target;  // Command/Text: "group" or a user id; Reward: the receiver
  QString capture; // "as": the variable WaitMember/WaitCommand sets to the user it matched

  int code = 0;         // Command, WaitCommand
  QJsonValue param;     // Command: text, number or object; WaitCommand: required text
  bool hasParam = false;

  hubproto::Source source = hubproto::Source::Camera; // Publish, Unpublish
  int fps = 0; // Publish, Classmate; 0 = the source's default

  QString text;         // Chat, Text, Print; Display: the mode
  QJsonArray contents;  // Chat: text runs (strings) and faces (integers)
  QString picture;      // Chat: address of a picture the class sees in the chat
  QString name;         // Chat: the sender's name; Reward: the receiver's name; Classmate
  QString phone;        // Classmate: signing in through the class service
  QString password;     // Classmate
  bool announce = true; // Leave: tell the class first (command 2)

  int amount = 0;           // Reward
  QString rewardType;       // Reward: "101", "102" or another type
  QString message;          // Reward
  QString memo;             // Reward
  QJsonArray rosterData;    // Roster; empty = built from the members seen
  bool hasRosterData = false;
  int notifyId = 0;         // Roster; 0 = the next of the teacher's own count

  // BoardTool: text = the tool ("pen", "line", "ellipse", "rectangle", "eraser", "select")
  quint32 color = 0x000000FFu; // BoardTool: RGBA
  int width = 100;             // BoardTool: in the board's width units
  bool fill = false;           // BoardTool
  QJsonArray points;           // BoardDraw: [x, y] pairs on the 1600 x 900 board
  int pages = 0;               // BoardDocument (text = the file name)
  int page = 0;                // BoardGoto

  bool isWait() const;
  // One line for a listing of the scenario, before anything is expanded.
  QString summary() const;
  static QString kindName(StepKind kind);
};

struct ScenarioSlide {
  QString title;
  QStringList lines;
};

struct Scenario {
  static constexpr int kDefaultTimeoutMs = 120000;

  QString name;
  quint32 roomId = 0; // 0 = given on the command line
  int timeoutMs = kDefaultTimeoutMs; // waits without their own "timeout"
  bool chatSnapshot = true; // answer a student's 2112 with the chat-permission snapshot 2113
  ScenarioSlide slide;      // what the screen stream shows
  QList<ScenarioStep> steps;
};
