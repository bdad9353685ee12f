#include "play_options.h"

#include <QRegularExpression>

namespace kel {

QString PlayUsageText() {
  return QStringLiteral(
      "使用法: kelplay ファイル.kel [オプション]\n"
      "オブジェクトファイルのオブジェクトをデスクトップの上で動かします。\n"
      "  --stage             デスクトップではなくウィンドウの中で動かします\n"
      "  --seed N            乱数のシード (0 以上の整数。省略すると毎回新しいシード)\n"
      "  --speed X           速さの倍率 (0.25 から 4。既定は 1)\n"
      "  --objects 名前,...  動かすオブジェクトの名前 (省略するとすべて)\n"
      "  --size 幅x高さ      ステージの大きさ (既定は画面の大きさ、ウィンドウでは 640x480)\n"
      "  --tick N            この時刻 (1 ティック 100 ミリ秒) から始めます\n"
      "  --output 画像       ウィンドウを開かず、--tick の時点のステージを画像に書き出します\n"
      "  -h, --help          この説明を表示します\n"
      "終了するにはトレイアイコンの「終了」を選ぶか、端末で Ctrl+C を押します。\n");
}

namespace {

PlayOptions Fail(const QString& message) {
  PlayOptions o;
  o.kind = PlayOptions::Error;
  o.message = message;
  return o;
}

}  // namespace

PlayOptions ParsePlayOptions(const QStringList& args) {
  PlayOptions o;
  QStringList files;
  bool options = true;
  for (int i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (!options || !arg.startsWith(QLatin1Char('-')) || arg.size() == 1) {
      files << arg;
      continue;
    }
    if (arg == QLatin1String("--")) {
      options = false;
      continue;
    }
    if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
      o.kind = PlayOptions::Help;
      return o;
    }
    if (arg == QLatin1String("--stage")) {
      o.stage = true;
      continue;
    }
    static const QStringList withValue = {"--seed", "--speed", "--objects",
                                          "--size", "--tick",  "--output"};
    if (!withValue.contains(arg))
      return Fail(QStringLiteral("不明なオプション '%1' です").arg(arg));
    if (i + 1 >= args.size()) return Fail(QStringLiteral("%1 の値がありません").arg(arg));
    const QString value = args[++i];
    bool ok = false;
    if (arg == QLatin1String("--seed")) {
      o.seed = value.toULongLong(&ok);
      if (!ok) return Fail(QStringLiteral("シード '%1' は 0 以上の整数ではありません").arg(value));
    } else if (arg == QLatin1String("--speed")) {
      o.speed = value.toDouble(&ok);
      if (!ok || !(o.speed >= 0.25 && o.speed <= 4))
        return Fail(QStringLiteral("速さ '%1' は 0.25 から 4 の数ではありません").arg(value));
    } else if (arg == QLatin1String("--objects")) {
      o.objects = value.split(QLatin1Char(','));
      if (o.objects.contains(QString()))
        return Fail(QStringLiteral("--objects に空の名前があります"));
    } else if (arg == QLatin1String("--size")) {
      static const QRegularExpression form(QStringLiteral("^([0-9]{1,5})[xX×]([0-9]{1,5})$"));
      const QRegularExpressionMatch m = form.match(value);
      const int w = m.captured(1).toInt(), h = m.captured(2).toInt();
      if (!m.hasMatch() || w < 1 || h < 1 || w > 16384 || h > 16384)
        return Fail(
            QStringLiteral("大きさ '%1' は 幅x高さ (1 から 16384) ではありません").arg(value));
      o.size = QSize(w, h);
    } else if (arg == QLatin1String("--tick")) {
      o.tick = value.toLongLong(&ok);
      // A day of ticks at most: the stage is computed from tick 0.
      if (!ok || o.tick < 0 || o.tick > 864000)
        return Fail(
            QStringLiteral("ティック '%1' は 0 から 864000 の整数ではありません").arg(value));
    } else {
      if (value.isEmpty()) return Fail(QStringLiteral("--output のファイル名が空です"));
      o.output = value;
    }
  }
  if (files.size() != 1)
    return Fail(files.isEmpty() ? QStringLiteral("オブジェクトファイルを指定してください")
                                : QStringLiteral("オブジェクトファイルは 1 つだけ指定できます"));
  if (files.first().isEmpty()) return Fail(QStringLiteral("ファイル名が空です"));
  if (o.stage && !o.output.isEmpty())
    return Fail(QStringLiteral("--stage と --output は一緒に使えません"));
  o.file = files.first();
  return o;
}

}  // namespace kel
