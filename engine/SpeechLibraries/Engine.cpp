#include "Engine.h"

#include "SherpaOnnxApi.h"

namespace Engine {

QString sherpaVersion()
{
    return QString::fromUtf8(SherpaOnnxGetVersionStr());
}

QString onnxRuntimeVersion()
{
    return QString::fromUtf8(SherpaOnnxGetOnnxruntimeVersionStr());
}

}
