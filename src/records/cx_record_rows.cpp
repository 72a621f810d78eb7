#include "records/cx_record_rows.h"

#include "records/cx_database.h"

QStringList SearchRowTexts(const TRecordStruct& record) {
    return {record.Artist,  record.RecordName, record.Tags, QString::number(record.Year),
            record.RipText, record.Path};
}

QString ScoreText(qint32 score) {
    return QStringLiteral("%1").arg(score, 2, 10, QLatin1Char(' '));
}

QStringList NeighbourRowTexts(const TRecordStruct& record) {
    return QStringList{ScoreText(record.Score)} + SearchRowTexts(record);
}
