#include "vtkZmfReader.h"

#include <exception>
#include <new>
#include <type_traits>

#include "vtkCellArray.h"
#include "vtkCellData.h"
#include "vtkDoubleArray.h"
#include "vtkFieldData.h"
#include "vtkInformation.h"
#include "vtkInformationVector.h"
#include "vtkObjectFactory.h"
#include "vtkPointData.h"
#include "vtkPoints.h"
#include "vtkSmartPointer.h"
#include "vtkStreamingDemandDrivenPipeline.h"
#include "vtkStringArray.h"
#include "vtkTypeInt64Array.h"
#include "vtkUnsignedCharArray.h"
#include "vtkUnstructuredGrid.h"

#include "zmfsource.hpp"

vtkStandardNewMacro(vtkZmfReader);

namespace
{

static_assert(std::is_same_v<vtkTypeInt64, zmfreader::Id>, "the blocks are VTK's 64-bit arrays");

// A VTK array over a block of the reading, which it frees.
template <class Array, class T>
vtkSmartPointer<Array> adopt(zmfreader::Block<T>& block, const char* name, int components = 1)
{
  auto array = vtkSmartPointer<Array>::New();
  array->SetNumberOfComponents(components);
  if (name)
  {
    array->SetName(name);
  }
  const vtkIdType size = block.size();
  array->SetArray(block.release(), size, 0, vtkAbstractArray::VTK_DATA_ARRAY_FREE);
  return array;
}

vtkSmartPointer<vtkStringArray> strings(const char* name, const std::vector<std::string>& values)
{
  auto array = vtkSmartPointer<vtkStringArray>::New();
  array->SetName(name);
  array->SetNumberOfValues(static_cast<vtkIdType>(values.size()));
  for (std::size_t k = 0; k < values.size(); ++k)
  {
    array->SetValue(static_cast<vtkIdType>(k), values[k]);
  }
  return array;
}

void fill(vtkUnstructuredGrid* output, zmfreader::Mesh& mesh)
{
  auto points = vtkSmartPointer<vtkPoints>::New();
  points->SetData(adopt<vtkDoubleArray>(mesh.points, "Points", 3));
  auto cells = vtkSmartPointer<vtkCellArray>::New();
  cells->SetData(adopt<vtkTypeInt64Array>(mesh.offsets, nullptr),
    adopt<vtkTypeInt64Array>(mesh.connectivity, nullptr));
  output->SetPoints(points);
  output->SetCells(adopt<vtkUnsignedCharArray>(mesh.types, nullptr), cells);
  if (mesh.labels.size() > 1)
  {
    output->GetCellData()->AddArray(adopt<vtkTypeInt64Array>(mesh.drawing, "drawing"));
  }
  if (mesh.marked)
  {
    output->GetPointData()->AddArray(adopt<vtkTypeInt64Array>(mesh.special, "special"));
  }
  output->GetFieldData()->AddArray(strings("header", { mesh.header }));
  output->GetFieldData()->AddArray(strings("label", mesh.labels));
}

}

vtkZmfReader::vtkZmfReader()
{
  this->SetNumberOfInputPorts(0);
}

vtkZmfReader::~vtkZmfReader()
{
  this->SetFileName(nullptr);
  this->SetCellTypes(nullptr);
}

void vtkZmfReader::PrintSelf(ostream& os, vtkIndent indent)
{
  this->Superclass::PrintSelf(os, indent);
  os << indent << "FileName: " << (this->FileName ? this->FileName : "(none)") << "\n";
  os << indent << "Drawing: " << this->Drawing << "\n";
  os << indent << "CellTypes: " << (this->CellTypes ? this->CellTypes : "") << "\n";
}

int vtkZmfReader::RequestInformation(
  vtkInformation*, vtkInformationVector**, vtkInformationVector* outputVector)
{
  // Any piece of the elements can be read on its own.
  outputVector->GetInformationObject(0)->Set(CAN_HANDLE_PIECE_REQUEST(), 1);
  return 1;
}

int vtkZmfReader::RequestData(
  vtkInformation*, vtkInformationVector**, vtkInformationVector* outputVector)
{
  vtkInformation* info = outputVector->GetInformationObject(0);
  vtkUnstructuredGrid* output = vtkUnstructuredGrid::GetData(info);
  zmfreader::Request request;
  request.path = this->FileName ? this->FileName : "";
  request.drawing = this->Drawing;
  request.cell_types = this->CellTypes ? this->CellTypes : "";
  request.piece = info->Get(vtkStreamingDemandDrivenPipeline::UPDATE_PIECE_NUMBER());
  request.pieces = info->Get(vtkStreamingDemandDrivenPipeline::UPDATE_NUMBER_OF_PIECES());
  if (request.pieces < 1 || request.piece < 0 || request.piece >= request.pieces)
  {
    request.piece = 0;
    request.pieces = 1;
  }
  const std::string failure = [&]() -> std::string {
    if (request.path.empty())
    {
      return "no file name given";
    }
    try
    {
      zmfreader::Mesh mesh = zmfreader::read(request, [this](double part) { this->UpdateProgress(part); });
      fill(output, mesh);
      return {};
    }
    catch (const std::bad_alloc&)
    {
      return request.path + ": not enough memory to read it";
    }
    catch (const std::exception& fault)
    {
      return fault.what();
    }
  }();
  if (!failure.empty())
  {
    // Nothing of the file is shown, and the pipeline goes on. Every piece
    // reads every record and comes to the same verdict: the first tells it.
    output->Initialize();
    if (request.piece == 0)
    {
      vtkErrorMacro(<< failure);
    }
  }
  this->UpdateProgress(1.0);
  return 1;
}
