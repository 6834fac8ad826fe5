#include "sdk/board/boardaction.h"

#include <QJsonDocument>

namespace board {
namespace op {
const char kDraw[] = "draw", kHide[] = "hide", kUndo[] = "undo", kRedo[] = "redo",
           kBoard[] = "board", kFile[] = "file", kGoto[] = "goto", kDelete[] = "delete",
           kColor[] = "color", kImage[] = "image";
}

namespace {
constexpr int kMaxPoints = 100000;
constexpr int kCoordinateLimit = 1 << 20;

bool isShape(int shape) {
  return shape == ToolPen || shape == ToolLine || shape == ToolEllipse || shape == ToolRectangle;
}

} // namespace

QJsonObject itemToJson(const Item &item) {
  QJsonArray points;
  for (const QPoint &p : item.points) {
    points.append(p.x());
    points.append(p.y());
  }
  return QJsonObject{{"id", QString::fromStdString(item.id)}, {"shape", item.shape},
                     {"color", double(item.color)}, {"width", double(item.width)},
                     {"fill", item.fill}, {"points", points}};
}

bool itemFromJson(const QJsonObject &o, Item *item) {
  const QJsonArray points = o.value(QLatin1String("points")).toArray();
  item->id = stringOf(o, "id");
  item->shape = o.value(QLatin1String("shape")).toInt(-1);
  item->fill = o.value(QLatin1String("fill")).toBool();
  if (item->id.empty() || !isShape(item->shape) || points.isEmpty() || points.size() % 2 ||
      points.size() / 2 > kMaxPoints || !readUInt(o.value(QLatin1String("color")), &item->color) ||
      !readUInt(o.value(QLatin1String("width")), &item->width) || item->width > kWidthUnits)
    return false;
  item->points.clear();
  for (int i = 0; i < points.size(); i += 2) {
    const int x = points[i].toInt(), y = points[i + 1].toInt();
    if (qAbs(x) > kCoordinateLimit || qAbs(y) > kCoordinateLimit)
      return false;
    item->points.append(QPoint(x, y));
  }
  return true;
}

QJsonArray idsToJson(const std::vector<std::string> &ids) {
  QJsonArray a;
  for (const std::string &id : ids)
    a.append(QString::fromStdString(id));
  return a;
}

std::vector<std::string> idsFromJson(const QJsonValue &v) {
  std::vector<std::string> ids;
  for (const QJsonValue &id : v.toArray())
    if (id.isString())
      ids.push_back(id.toString().toStdString());
  return ids;
}

bool readUInt(const QJsonValue &v, uint32_t *out) {
  const double d = v.toDouble(-1);
  if (!v.isDouble() || d < 0 || d > 4294967295.0)
    return false;
  *out = static_cast<uint32_t>(d);
  return true;
}

std::string stringOf(const QJsonObject &o, const char *key) {
  return o.value(QLatin1String(key)).toString().toStdString();
}

QList<QJsonObject> actionsOf(const QJsonValue &value) {
  QList<QJsonObject> actions;
  if (value.isObject())
    actions.append(value.toObject());
  for (const QJsonValue &v : value.toArray())
    if (v.isObject())
      actions.append(v.toObject());
  return actions;
}

QList<QJsonObject> readActions(const QByteArray &data) {
  const QJsonDocument doc = QJsonDocument::fromJson(data);
  return actionsOf(doc.isObject() ? QJsonValue(doc.object()) : QJsonValue(doc.array()));
}

QByteArray writeAction(const QJsonObject &action) {
  return QJsonDocument(action).toJson(QJsonDocument::Compact);
}

} // namespace board
