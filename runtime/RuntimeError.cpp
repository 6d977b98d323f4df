#include "RuntimeError.h"

namespace qv {

RuntimeError::RuntimeError(int number, const QString& description)
    : m_number(number),
      m_description(description.isEmpty() ? standardDescription(number) : description),
      m_what(QStringLiteral("%1: %2").arg(number).arg(m_description).toUtf8()) {}

QString RuntimeError::standardDescription(int number) {
    switch (number) {
    case ErrorNumber::InvalidProcedureCall:
        return QStringLiteral("无效的过程调用或参数");
    case ErrorNumber::Overflow:
        return QStringLiteral("溢出");
    case ErrorNumber::OutOfMemory:
        return QStringLiteral("内存溢出");
    case ErrorNumber::DivisionByZero:
        return QStringLiteral("除数为零");
    case ErrorNumber::FileNotFound:
        return QStringLiteral("文件未找到");
    case ErrorNumber::InvalidPropertyValue:
        return QStringLiteral("无效的属性值");
    case ErrorNumber::InvalidPicture:
        return QStringLiteral("无效的图片");
    case ErrorNumber::PrinterError:
        return QStringLiteral("打印机错误");
    case ErrorNumber::InternalError:
        return QStringLiteral("内部错误");
    default:
        return QStringLiteral("应用程序定义的错误或对象定义的错误");
    }
}

} // namespace qv
