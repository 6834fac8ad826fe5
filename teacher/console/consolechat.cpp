#include "teacher/console/consolechat.h"

#include "classroom_widgets/emojipanel.h"
#include "classroom_widgets/textedit.h"
#include "messaging/chatmessagebuilder.h"
#include "teacher/console/consolechatpage.h"
#include "teacher/console/consoleclass.h"

#include <QHBoxLayout>
#include <QJsonArray>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kFaceLength = 3; // a face counts as its three-digit code
const QString kBlockBreak = QStringLiteral("\r\n");
} // namespace

ConsoleChat::ConsoleChat(ConsoleClass *klass, const QString &pageUrl, QWidget *parent)
    : QWidget(parent), m_class(klass) {
  m_page = new ConsoleChatPage(pageUrl, this);
  m_emoji = new EmojiPanel(this);
  m_emoji->setObjectName(QStringLiteral("emojiPanel"));
  m_emoji->hide();
  m_input = new TextEdit(this);
  m_input->setObjectName(QStringLiteral("chatInput"));
  m_input->setFixedHeight(kInputHeight);
  m_input->setStyleSheet(QStringLiteral("border: 1px solid #cccccc; background: white;"));
  m_faceButton = new QPushButton(QStringLiteral("☺ 表情"), this);
  m_faceButton->setObjectName(QStringLiteral("btnEmoji"));
  m_sendButton = new QPushButton(QStringLiteral("发送"), this);
  m_sendButton->setObjectName(QStringLiteral("btnSend"));

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(m_faceButton);
  buttons->addStretch();
  buttons->addWidget(m_sendButton);
  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(m_page, 1);
  column->addWidget(m_emoji, 1);
  column->addLayout(buttons);
  column->addWidget(m_input);

  connect(m_faceButton, &QPushButton::clicked, this, [this] { m_emoji->setVisible(!m_emoji->isVisible()); });
  connect(m_emoji, &EmojiPanel::faceClicked, this, &ConsoleChat::onFace);
  connect(m_input, &TextEdit::keyEnter, this, &ConsoleChat::send);
  connect(m_input, &TextEdit::clicked, m_emoji, &QWidget::hide);
  connect(m_sendButton, &QPushButton::clicked, this, &ConsoleChat::send);
  connect(klass, &ConsoleClass::chatToShow, this, [this](const QString &message, quint32 time) {
    m_page->post(message, time);
    m_page->post(QStringLiteral("toBottom"), 0);
  });
}

void ConsoleChat::onFace(int &faceIndex) {
  m_input->insertEmoji(faceIndex);
  m_emoji->hide();
  m_input->setFocus();
}

void ConsoleChat::send() {
  const std::vector<ChatElement> elements = ChatMessageBuilder::elements(*m_input->document());
  QVector<hubproto::Element> plain;
  QJsonArray items;
  int length = 0;
  for (const ChatElement &c : elements) {
    hubproto::Element e;
    e.kind = c.kind == ChatElement::Face ? hubproto::Element::Face : hubproto::Element::Text;
    e.text = c.text;
    e.faceIndex = c.faceIndex;
    plain.append(e);
    // The page shows blocks one after the other; the separators are for plain clients.
    if (c.kind == ChatElement::Text && c.text == kBlockBreak)
      continue;
    length += c.kind == ChatElement::Face ? kFaceLength : c.text.size();
    items.append(ConsoleClass::pageItem(e));
  }
  if (items.isEmpty() || length > kMaxMessageLength) {
    m_input->setFocus();
    return;
  }
  m_class->sendChat(plain, {{QStringLiteral("name"), m_class->teacherName()},
                            {QStringLiteral("type"), QStringLiteral("message")},
                            {QStringLiteral("contents"), items}});
  m_input->clear();
  m_input->setFocus();
}
