#include "bench_registry.h"

std::vector<BenchOperation>& benchOperations()
{
    static std::vector<BenchOperation> operations;
    return operations;
}

BenchRegistration::BenchRegistration(std::initializer_list<BenchOperation> operations)
{
    for (const BenchOperation& operation : operations)
        benchOperations().push_back(operation);
}
